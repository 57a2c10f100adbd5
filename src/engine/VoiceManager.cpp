#include "VoiceManager.h"

void VoiceManager::bind(const ProgramStore& programStore, const TempoInfo& tempoInfo)
{
    programs = &programStore;
    tempo = &tempoInfo;
}

void VoiceManager::setEngineSampleRate(float rate)
{
    sampleRate = rate;
    resetEngine();
}

void VoiceManager::resetEngine() {}

void VoiceManager::renderFrame(float& /*left*/, float& /*right*/, int /*frameCount*/, int /*frameIndex*/) {}

void VoiceManager::clearEventQueue() {}
