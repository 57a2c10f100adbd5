// The library as a host scans it: the entry and factory, every descriptor, instances made and
// destroyed many times, and how long a scan takes.
#include "ClapRig.h"
#include "PluginLibrary.h"
#include "StepNote.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>

namespace {
// Named as well: batched builds compile several test files as one unit.
namespace clap_descriptor {

constexpr double kScanLimitSeconds = 1.0;
constexpr int kMostFeatures = 1000; // more than this and the list has no terminator

std::string text(const char* s)
{
    return s ? "'" + std::string(s) + "'" : "null";
}

void checkFeatures(const clap_plugin_descriptor_t& d, const std::string& who)
{
    require(d.features != nullptr, who + " has no features list (null)");
    for (int i = 0; i < kMostFeatures; ++i) {
        if (!d.features[i])
            return;
        require(d.features[i][0] != 0, who + " has an empty feature at " + std::to_string(i));
    }
    fail(who + "'s features list has no null terminator within " + std::to_string(kMostFeatures) + " entries");
}

void checkDescriptor(const clap_plugin_descriptor_t* d, uint32_t index, std::set<std::string>& ids)
{
    const std::string who = "descriptor " + std::to_string(index);
    require(d != nullptr, who + " is null");
    require(clap_version_is_compatible(d->clap_version),
            who + " claims CLAP " + std::to_string(d->clap_version.major) + "." + std::to_string(d->clap_version.minor) +
                ", which hosts of CLAP 1 cannot load");
    for (auto [field, value] : {std::pair{"id", d->id}, {"name", d->name}, {"version", d->version}})
        require(value && value[0], who + " has no " + field + " (" + text(value) + ")");
    require(ids.insert(d->id).second, who + " repeats the id " + text(d->id));
    checkFeatures(*d, who + " (" + d->id + ")");
}

void entryAndDescriptors(TestContext& context)
{
    ClapRig rig(context);
    const clap_plugin_entry_t* entry = rig.host().pluginEntry();
    const clap_plugin_factory_t* factory = rig.host().factory();
    noteStep("reading the descriptors");
    const uint32_t count = factory->get_plugin_count(factory);
    require(count >= 1, "the factory offers no plug-ins");
    std::set<std::string> ids;
    for (uint32_t i = 0; i < count; ++i)
        checkDescriptor(factory->get_plugin_descriptor(factory, i), i, ids);
    noteStep("descriptor and factory requests that must find nothing");
    require(factory->get_plugin_descriptor(factory, count) == nullptr,
            "get_plugin_descriptor answers a descriptor for index " + std::to_string(count) + ", past the count");
    require(entry->get_factory("com.example.no-such-factory") == nullptr,
            "get_factory answers a factory for an id it cannot know");
    const clap_plugin_descriptor_t* own = rig.plugin()->desc;
    const char* first = factory->get_plugin_descriptor(factory, 0)->id;
    require(own && own->id && std::strcmp(own->id, first) == 0,
            "the instance's descriptor id " + text(own ? own->id : nullptr) + " is not the factory's " + text(first));
}

void instances(TestContext& context)
{
    ClapRig rig(context);
    const clap_plugin_factory_t* factory = rig.host().factory();
    const clap_host_t* host = rig.host().hostRecord();
    const std::string id = factory->get_plugin_descriptor(factory, 0)->id;
    const std::string shorter = id.empty() ? "x" : id.substr(0, id.size() - 1);
    for (const std::string& wrong : {std::string(), std::string("com.example.no-such-plugin"), id + ".x", shorter}) {
        noteStep("create_plugin with the wrong id '" + wrong + "'");
        const clap_plugin_t* made = factory->create_plugin(factory, host, wrong.c_str());
        if (made)
            made->destroy(made);
        require(!made, "create_plugin makes an instance for the wrong id '" + wrong + "'");
    }
    auto create = [&](int round) {
        noteStep("instance " + std::to_string(round) + ": create and init");
        const clap_plugin_t* p = factory->create_plugin(factory, host, id.c_str());
        require(p != nullptr, "create_plugin refuses its own id on round " + std::to_string(round));
        if (!p->init(p)) {
            p->destroy(p);
            fail("init fails on round " + std::to_string(round));
        }
        return p;
    };
    for (int round = 0; round < context.scaled(16); ++round) {
        const clap_plugin_t* p = create(round);
        if (round % 4 == 1) {
            noteStep("instance " + std::to_string(round) + ": activate and deactivate");
            require(p->activate(p, 48000, 1, 512), "activate at 48000 Hz fails on round " + std::to_string(round));
            p->deactivate(p);
        }
        noteStep("instance " + std::to_string(round) + ": destroy");
        p->destroy(p);
    }
    // Several alive at once, destroyed in another order than made.
    const clap_plugin_t* a = create(100);
    const clap_plugin_t* b = create(101);
    const clap_plugin_t* c = create(102);
    noteStep("three instances destroyed out of order");
    b->destroy(b);
    a->destroy(a);
    c->destroy(c);
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What a host's scanner does for each file: load, read every descriptor, unload.
double scanOnce(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    void* library = openLibrary(path);
    require(library != nullptr, "cannot load '" + path + "': " + libraryError());
    const auto* entry = static_cast<const clap_plugin_entry_t*>(findSymbol(library, "clap_entry"));
    require(entry && entry->init && entry->deinit && entry->get_factory, "no usable clap_entry");
    require(entry->init(path.c_str()), "the entry's init fails");
    const auto* factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    size_t seen = 0;
    for (uint32_t i = 0; factory && i < factory->get_plugin_count(factory); ++i)
        if (const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, i); d && d->name)
            seen += std::strlen(d->name);
    entry->deinit();
    closeLibrary(library);
    require(seen > 0, "the scan found no named plug-in");
    return secondsSince(start);
}

void scanTime(TestContext& context)
{
    noteStep("scanning the library");
    const double scan = scanOnce(context.pluginPath);
    noteStep("loading and creating an instance");
    auto start = std::chrono::steady_clock::now();
    auto rig = std::make_unique<ClapRig>(context);
    const double create = secondsSince(start);
    start = std::chrono::steady_clock::now();
    rig.reset();
    const double destroy = secondsSince(start);
    std::printf("scan %.1f ms, load and create %.1f ms, destroy and unload %.1f ms\n", scan * 1000, create * 1000,
                destroy * 1000);
    for (auto [what, seconds] : {std::pair{"scanning the library", scan}, {"loading and creating an instance", create},
                                 {"destroying an instance and unloading", destroy}})
        require(seconds < kScanLimitSeconds, std::string(what) + " took " + std::to_string(seconds) +
                                                 " s; hosts that scan many plug-ins allow at most " +
                                                 std::to_string(kScanLimitSeconds) + " s");
}

} // namespace clap_descriptor
} // namespace

void addClapDescriptorTests(TestList& tests)
{
    using namespace clap_descriptor;
    tests.push_back({"descriptor", "entry, factory and descriptors", entryAndDescriptors});
    tests.push_back({"descriptor", "wrong ids, and many instances made and destroyed", instances});
}

void addClapScanTests(TestList& tests)
{
    using namespace clap_descriptor;
    tests.push_back({"scan", "scan, load and destroy times", scanTime});
}
