// A plug-in instance driven in-process, and host-style event lists to hand it.
#pragma once

#include "plugin/Plugin.h"

#include <memory>
#include <vector>

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Exposes the render lock so a test can hold it the way a reset on another thread does.
struct TestPlugin : Plugin {
    TestPlugin() : Plugin(quietHost) {}
    using PluginBase::engineLock;
};

// An event list laid out as hosts lay it out: the two header fields and a longer pointer array.
class HostEventList {
public:
    HostEventList() { midi.reserve(256); }

    VstMidiEvent& add(int frame, int status, int data1 = 0, int data2 = 0)
    {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = frame;
        e.midiData[0] = char(status);
        e.midiData[1] = char(data1);
        e.midiData[2] = char(data2);
        midi.push_back(e);
        pointers.push_back(reinterpret_cast<VstEvent*>(&midi.back()));
        return midi.back();
    }
    void addRaw(VstEvent* event) { pointers.push_back(event); }

    VstEvents* list()
    {
        storage.assign(sizeof(VstEvents) + pointers.size() * sizeof(VstEvent*), 0);
        auto* events = reinterpret_cast<VstEvents*>(storage.data());
        events->numEvents = VstInt32(pointers.size());
        for (size_t i = 0; i < pointers.size(); ++i)
            events->events[i] = pointers[i];
        return events;
    }

private:
    std::vector<VstMidiEvent> midi;
    std::vector<VstEvent*> pointers;
    std::vector<VstIntPtr> storage;
};
