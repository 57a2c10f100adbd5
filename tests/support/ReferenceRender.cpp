#include "ReferenceRender.h"

#include "engine/DspMath.h"
#include "engine/VoiceRules.h"

void ReferenceRender::renderFrame(VoiceManager& engine, float& left, float& right, int frameCount, int frameIndex)
{
    if (!engine.programs)
        return;
    const ProgramRecord& p = engine.programs->current();
    engine.prepareRate();
    if (frameIndex == 0)
        engine.beginBlock(p, frameCount);
    engine.dispatchEvents(frameIndex);
    for (Lfo& lfo : engine.globalLfos)
        lfo.advance();

    float amp1[2] = {}, amp2[2] = {};
    engine.frameControls.read(*engine.programs, engine.ignoreVelocity, *engine.tempo);
    const Routing routing = routingOf(p.get(Param::OscRoute));
    for (Voice& voice : engine.voices)
        if (isSounding(voice, routing))
            renderVoice(voice, amp1, amp2, engine.controllers, engine.frameControls);
    effects(engine, p, amp1, amp2, left, right);
}

void ReferenceRender::renderVoice(Voice& v, float* amp1, float* amp2, const MidiControllerState& midi,
                                  const FrameControls& shared)
{
    // The program's values with this note's own offsets added; its tuning is part of its bend.
    const FrameControls& c = v.controlsFor(shared);
    v.controllers = &midi;
    const float semisFromA4 = v.stepPitch(c);
    const float bend = v.bendFor(midi, c);
    v.stepSustain(c, false);
    const bool controlFrame = v.controlCounter == 0;
    v.stepModulation(controlFrame, midi);
    v.updateLfoRates(c, true);

    float sideL[2] = {}, sideR[2] = {};
    for (int k = 0; k < 2; ++k)
        if (v.sidePlays(k, c))
            renderSide(v, k, c.side[k], bend, semisFromA4, c.reference, controlFrame, sideL[k], sideR[k]);

    float a1[2], a2[2];
    route(v, sideL, sideR, semisFromA4, c, a1, a2);
    float g1 = v.mod.envValue[0];
    float g2 = v.mod.envValue[1];
    if (!c.ignoreAmpVelocity) {
        g1 *= v.mod.envVelocityGain[0];
        g2 *= v.mod.envVelocityGain[1];
    }
    g1 *= c.noteGain;
    g2 *= c.noteGain;
    for (int ch = 0; ch < 2; ++ch) {
        amp1[ch] += a1[ch] * g1;
        amp2[ch] += a2[ch] * g2;
    }
    if (++v.controlCounter >= Voice::kControlPeriod)
        v.controlCounter = 0;
}

void ReferenceRender::renderSide(Voice& v, int k, const FrameControls::Side& c, float bend, float semisFromA4,
                                 float reference, bool controlFrame, float& left, float& right)
{
    Oscillator& main = v.mainOsc[k];
    Oscillator& sub = v.subOsc[k];
    Voice::SideSmoothers& sm = v.sideSmoothers[k];
    const SideTargets& t = kSideTargets[k];
    const float* sums = v.mod.modSums;

    const float subPosition = sums[t.sub] + c.sub;
    sub.waveform = subWaveform(c.subMode, subPosition < 0.5f);
    const float pw = sm.pulseWidth.step(clamp01(sums[t.pulseWidth] + c.pulseWidth));
    const bool unisonOn = unisonPlays(c.detune, main.waveform);
    if (controlFrame)
        v.setSideIncrements(k, c, bend + semisFromA4, reference, unisonOn);
    const float volume = sm.volume.step(clampBipolar(sums[t.volume] + c.volume));
    const float subGain = sm.subLevel.step(subLevel(subPosition));

    float l = 0.0f, r = 0.0f;
    if (volume > 0.0f) {
        const float x = main.nextSample(pw);
        l = r = x;
        if (unisonOn) {
            const float spread = sm.spread.step(c.spread);
            const float mix = sm.mix.step(c.mix);
            float sumL = 0.0f, sumR = 0.0f;
            for (int j = 0; j < c.copies; ++j) {
                const float pan = spread * Voice::kUnisonPan[j];
                const float y = v.unison[k][j].nextSample(pw);
                sumL += (1.0f + pan) * y;
                sumR += (1.0f - pan) * y;
            }
            l = mix * sumL + x;
            r = mix * sumR + x;
        }
        l *= volume;
        r *= volume;
    }
    if (subGain > 0.0f) {
        float y = sub.nextSample(c.subFollowsPw ? pw : 0.5f) * subGain;
        if (c.subFollowsVol)
            y *= volume;
        l += y;
        r += y;
    }
    const float q = sm.pan.step(clamp01(sums[t.pan] + c.pan));
    left = (1.0f - q) * l * kPanGain;
    right = q * r * kPanGain;
}

void ReferenceRender::route(Voice& v, const float* sideL, const float* sideR, float semisFromA4, const FrameControls& c,
                            float* amp1, float* amp2)
{
    auto runFilter = [&](int n, float* x) {
        v.filterControl[n].process(v.filter[n], x[0], x[1], c.filter[n].cutoff, v.mod.modSums[kFilterCutTarget[n]],
                                   c.filter[n].resonance, v.mod.modSums[kFilterResTarget[n]], c.filter[n].keyTrack,
                                   semisFromA4, v.sampleRate);
    };
    const RouteTable& routes = routeTable(c.route);
    float f1[2] = {sideL[0], sideR[0]};
    if (routes.side2IntoFilter1) {
        f1[0] += sideL[1];
        f1[1] += sideR[1];
    }
    runFilter(0, f1);
    float f2[2] = {sideL[1], sideR[1]};
    if (routes.filter2ReadsFilter1) {
        f2[0] = f1[0], f2[1] = f1[1];
        if (routes.side2JoinsFilter2) {
            f2[0] += sideL[1];
            f2[1] += sideR[1];
        }
    }
    runFilter(1, f2);
    for (int ch = 0; ch < 2; ++ch) {
        amp1[ch] = routes.amp1 == Amp1Input::Filter1   ? f1[ch]
                   : routes.amp1 == Amp1Input::Filter2 ? f2[ch]
                                                       : f1[ch] + f2[ch];
        const float side2[2] = {sideL[1], sideR[1]};
        amp2[ch] = routes.amp2 == Amp2Input::None ? 0.0f : routes.amp2 == Amp2Input::Side2 ? side2[ch] : f2[ch];
    }
}

void ReferenceRender::effects(VoiceManager& engine, const ProgramRecord& p, float* amp1, float* amp2, float& left,
                              float& right)
{
    const float delayMix = p.get(Param::DlyMix);
    if (delayMix > 0.0f)
        engine.delay.process(
            amp1[0], amp1[1], amp2[0], amp2[1], p.get(Param::DlyAmp1) == 0.0f,
            DelayTargets{delayMix, p.get(Param::DlyFBack), p.get(Param::DlyCut), p.get(Param::DlyWidth)});
    // With RvbAmp1 on, the second amplifier bypasses the reverb.
    const bool amp2Dry = p.get(Param::RvbAmp1) != 0.0f;
    left += amp1[0];
    right += amp1[1];
    if (!amp2Dry) {
        left += amp2[0];
        right += amp2[1];
    }
    const float reverbMix = p.get(Param::RvbMix);
    if (reverbMix > 0.0f)
        engine.reverb.process(left, right, reverbMix);
    if (amp2Dry) {
        left += amp2[0];
        right += amp2[1];
    }
}
