// Writes the LV2 bundle's Turtle files from the parameter table and the factory bank, so the
// ports and presets can never disagree with the plug-in.
// usage: morvelline-lv2-ttl OUTPUT_FOLDER FACTORY_BANK.hfb
#include "TtlText.h"

#include "formats/lv2/Lv2PortValues.h"
#include "formats/lv2/Lv2Uris.h"
#include "params/PluginIdentity.h"
#include "presets/ProgramFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

const char* const kPrefixes = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix foaf: <http://xmlns.com/foaf/0.1/> .
@prefix lv2: <http://lv2plug.in/ns/lv2core#> .
@prefix midi: <http://lv2plug.in/ns/ext/midi#> .
@prefix opts: <http://lv2plug.in/ns/ext/options#> .
@prefix patch: <http://lv2plug.in/ns/ext/patch#> .
@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .
@prefix pset: <http://lv2plug.in/ns/ext/presets#> .
@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix time: <http://lv2plug.in/ns/ext/time#> .
@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .

)";

std::string uri(const char* text)
{
    return std::string("<") + text + ">";
}

std::string presetUri(int program)
{
    char number[8];
    std::snprintf(number, sizeof number, "%03d", program + 1);
    return uri((std::string(lv2uri::kPresetPrefix) + number).c_str());
}

std::string portName(int index)
{
    const ParamInfo& info = kParamTable[index];
    return info.longName ? info.longName : info.shortName;
}

void writeCodedRange(std::ostream& out, int index)
{
    CodeKind kind;
    lv2CodeKind(index, kind);
    float port = 0.0f;
    lv2PortFromValue(index, kParamTable[index].defaultValue, port);
    out << "        lv2:portProperty lv2:integer, lv2:enumeration ;\n"
        << "        lv2:default " << ttlNumber(port) << " ;\n        lv2:minimum 0 ;\n"
        << "        lv2:maximum " << lv2LargestStoredNumber(kind) << " ;\n        lv2:scalePoint ";
    bool first = true;
    for (int code = 0; code < codeCount(kind); ++code) {
        const CodeEntry* entry = codeEntry(kind, code);
        if (!entry || entry->separator || !entry->menuText || entry->storedNumber < 0)
            continue;
        out << (first ? "" : ", ") << "[ rdfs:label " << ttlString(entry->menuText) << " ; rdf:value "
            << entry->storedNumber << " ]";
        first = false;
    }
    out << " ;\n";
}

void writeControlPort(std::ostream& out, int index)
{
    const ParamInfo& info = kParamTable[index];
    out << "    [\n        a lv2:InputPort, lv2:ControlPort ;\n        lv2:index " << index << " ;\n"
        << "        lv2:symbol " << ttlString(ttlSymbol(index)) << " ;\n"
        << "        lv2:name " << ttlString(portName(index)) << " ;\n";
    switch (lv2PortKind(index)) {
    case Lv2PortKind::Coded:
        writeCodedRange(out, index);
        break;
    case Lv2PortKind::Toggle:
        out << "        lv2:portProperty lv2:toggled ;\n        lv2:default " << ttlNumber(info.defaultValue)
            << " ;\n        lv2:minimum 0 ;\n        lv2:maximum 1 ;\n";
        break;
    case Lv2PortKind::Continuous:
        out << "        lv2:default " << ttlNumber(info.defaultValue)
            << " ;\n        lv2:minimum 0.0 ;\n        lv2:maximum 1.0 ;\n";
        break;
    }
    // The placeholders play no part in the sound; hosts need not show them.
    if (std::string(info.shortName).rfind("Unused", 0) == 0)
        out << "        lv2:portProperty pprops:notOnGUI ;\n";
    out << "    ]";
}

void writeOtherPorts(std::ostream& out)
{
    out << ", [\n        a lv2:InputPort, atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent, time:Position, patch:Message ;\n"
        << "        lv2:designation lv2:control ;\n        lv2:index " << lv2port::kEvents << " ;\n"
        << "        lv2:symbol \"events\" ;\n        lv2:name \"MIDI and host messages\" ;\n    ], [\n"
        << "        a lv2:OutputPort, atom:AtomPort ;\n        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports patch:Message ;\n        lv2:designation lv2:control ;\n"
        << "        lv2:index " << lv2port::kNotify << " ;\n        lv2:symbol \"notify\" ;\n"
        << "        lv2:name \"Program and voice notifications\" ;\n    ], [\n"
        << "        a lv2:OutputPort, lv2:AudioPort ;\n        lv2:index " << lv2port::kLeft << " ;\n"
        << "        lv2:symbol \"out_left\" ;\n        lv2:name \"Left\" ;\n    ], [\n"
        << "        a lv2:OutputPort, lv2:AudioPort ;\n        lv2:index " << lv2port::kRight << " ;\n"
        << "        lv2:symbol \"out_right\" ;\n        lv2:name \"Right\" ;\n    ] .\n";
}

std::string pluginText()
{
    std::ostringstream out;
    const std::string plugin = uri(lv2uri::kPlugin);
    out << kPrefixes << uri(lv2uri::kProgramName)
        << "\n    a lv2:Parameter ;\n    rdfs:label \"Program name\" ;\n    rdfs:range atom:String .\n\n"
        << uri(lv2uri::kProgram)
        << "\n    a lv2:Parameter ;\n    rdfs:label \"Program number\" ;\n    rdfs:range atom:Int .\n\n"
        << uri(lv2uri::kUi) << "\n    a ui:X11UI ;\n"
        << "    lv2:requiredFeature urid:map, ui:parent, ui:idleInterface ;\n"
        << "    lv2:optionalFeature ui:resize, ui:touch ;\n    lv2:extensionData ui:idleInterface ;\n"
        << "    ui:portNotification [\n        ui:plugin " << plugin << " ;\n        lv2:symbol \"notify\" ;\n"
        << "        ui:protocol atom:eventTransfer\n    ] .\n\n"
        << plugin << "\n    a lv2:Plugin, lv2:InstrumentPlugin, doap:Project ;\n"
        << "    doap:name \"Morvelline\" ;\n"
        << "    doap:maintainer [ foaf:name \"Hollowfen Software\" ] ;\n"
        // The vendor version, even, so hosts take it for a release.
        << "    lv2:minorVersion " << kVendorVersion << " ;\n    lv2:microVersion 0 ;\n"
        << "    lv2:requiredFeature urid:map ;\n    lv2:optionalFeature lv2:hardRTCapable, opts:options ;\n"
        << "    lv2:extensionData state:interface, opts:interface ;\n"
        << "    opts:supportedOption bufsz:maxBlockLength, bufsz:nominalBlockLength ;\n"
        << "    patch:writable " << uri(lv2uri::kProgramName) << ", " << uri(lv2uri::kProgram) << " ;\n"
        << "    ui:ui " << uri(lv2uri::kUi) << " ;\n    lv2:port ";
    for (int i = 0; i < kNumParams; ++i) {
        out << (i ? ", " : "");
        writeControlPort(out, i);
    }
    writeOtherPorts(out);
    return out.str();
}

std::string presetsText(const ProgramRecord* bank)
{
    std::ostringstream out;
    out << kPrefixes;
    for (int program = 0; program < kNumPrograms; ++program) {
        const ProgramRecord& record = bank[program];
        out << presetUri(program) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(lv2uri::kPlugin) << " ;\n"
            << "    rdfs:label " << ttlString(record.name) << " ;\n    state:state [\n        "
            << uri(lv2uri::kProgramName) << " " << ttlString(record.name) << " ;\n        "
            << uri(lv2uri::kProgram) << " " << program << "\n    ] ;\n    lv2:port ";
        for (int i = 0; i < kNumParams; ++i) {
            float port = 0.0f;
            if (!lv2PortFromValue(i, record.get(i), port))
                throw std::runtime_error("program " + std::to_string(program + 1) + " has a value of " +
                                         kParamTable[i].shortName + " that no port value gives back");
            out << (i ? ", " : "") << "[ lv2:symbol " << ttlString(ttlSymbol(i)) << " ; pset:value "
                << ttlNumber(port) << " ]";
        }
        out << " .\n\n";
    }
    return out.str();
}

std::string manifestText()
{
    std::ostringstream out;
    out << kPrefixes << uri(lv2uri::kPlugin)
        << "\n    a lv2:Plugin, lv2:InstrumentPlugin ;\n    lv2:binary <Morvelline.so> ;\n"
        << "    rdfs:seeAlso <Morvelline.ttl> .\n\n"
        << uri(lv2uri::kUi) << "\n    a ui:X11UI ;\n    ui:binary <MorvellineUI.so> ;\n"
        << "    rdfs:seeAlso <Morvelline.ttl> .\n";
    for (int program = 0; program < kNumPrograms; ++program)
        out << "\n" << presetUri(program) << "\n    a pset:Preset ;\n    lv2:appliesTo " << uri(lv2uri::kPlugin)
            << " ;\n    rdfs:seeAlso <presets.ttl> .\n";
    return out.str();
}

void checkSymbols()
{
    std::set<std::string> seen;
    for (int i = 0; i < kNumParams; ++i) {
        const std::string symbol = ttlSymbol(i);
        const bool valid = !symbol.empty() && !std::isdigit(static_cast<unsigned char>(symbol[0])) &&
                           symbol.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string::npos;
        if (!valid || !seen.insert(symbol).second)
            throw std::runtime_error("the port symbol '" + symbol + "' is not a unique C identifier");
    }
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: morvelline-lv2-ttl OUTPUT_FOLDER FACTORY_BANK.hfb\n");
        return 2;
    }
    try {
        checkSymbols();
        auto store = std::make_unique<ProgramStore>();
        FileProblem problem;
        if (loadBankFile(&store->record(0), argv[2], &problem) != kFileOk)
            throw std::runtime_error(std::string("cannot read the bank ") + argv[2] + ": " + problem.reason);
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        writeFile(folder / "Morvelline.ttl", pluginText());
        writeFile(folder / "presets.ttl", presetsText(&store->record(0)));
        writeFile(folder / "manifest.ttl", manifestText());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "morvelline-lv2-ttl: %s\n", e.what());
        return 1;
    }
    return 0;
}
