// An event list laid out as hosts lay it out: the two header fields, then as many event
// pointers as needed.
#pragma once

#include "vst/vstabi.h"

#include <deque>
#include <vector>

class HostEventList {
public:
    VstMidiEvent& add(int frame, int status, int data1 = 0, int data2 = 0)
    {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.deltaFrames = frame;
        e.midiData[0] = char(status);
        e.midiData[1] = char(data1);
        e.midiData[2] = char(data2);
        midi.push_back(e); // a deque keeps earlier events where they are
        pointers.push_back(reinterpret_cast<VstEvent*>(&midi.back()));
        return midi.back();
    }
    void addRaw(VstEvent* event) { pointers.push_back(event); }

    VstEvents* list() { return listClaiming(VstInt32(pointers.size())); }
    // A list whose count says something else than what it holds.
    VstEvents* listClaiming(VstInt32 count)
    {
        storage.assign(sizeof(VstEvents) / sizeof(VstIntPtr) + pointers.size() + 1, 0);
        auto* events = reinterpret_cast<VstEvents*>(storage.data());
        events->numEvents = count;
        for (size_t i = 0; i < pointers.size(); ++i)
            events->events[i] = pointers[i];
        return events;
    }

private:
    std::deque<VstMidiEvent> midi;
    std::vector<VstEvent*> pointers;
    std::vector<VstIntPtr> storage;
};
