#include "Wavetable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "Fft.h"

namespace {

// Partial amplitudes by harmonic number (index 0 is the unused DC term).
constexpr float kChimePartials[23] = {0, 1.0f,  0, 0, 0.6f, 0, 0, 0.3f,  0, 0, 0.35f, 0.25f,
                                      0, 0.85f, 0, 0, 0.1f, 0, 0, 0.15f, 0, 0, 0.1f};
constexpr float kOrganPartials[17] = {0, 1.0f, 0, 0.375f, 0, 0, 0, 0, 0, 0, 0.375f, 0, 0.875f, 0, 0, 0, 1.0f};

// Tables are sized from the rate; a host announcing an absurd rate must not make us allocate
// gigabytes, so the harmonic count stops growing past the highest real-world rate.
constexpr float kMaxBuildRate = 768000.0f;

void fillSpectrum(float* re, int n, TableShape shape, int32_t harmonics)
{
    auto put = [&](int k, float a) {
        re[k] = a;
        re[n - k] = -a;
    };
    switch (shape) {
    case TableShape::Saw:
        for (int k = 1; k <= harmonics; ++k)
            put(k, 1.0f / static_cast<float>(k));
        break;
    case TableShape::Square:
        for (int k = 1; k <= harmonics; k += 2)
            put(k, 1.0f / static_cast<float>(k));
        break;
    case TableShape::Triangle: {
        float sign = -1.0f;
        for (int k = 1; k <= harmonics; k += 2) {
            put(k, sign / static_cast<float>(k * k));
            sign = -sign;
        }
        break;
    }
    case TableShape::Sine:
        put(1, -1.0f);
        break;
    case TableShape::Chime:
    case TableShape::Organ: {
        const float* p = shape == TableShape::Chime ? kChimePartials : kOrganPartials;
        const int count = shape == TableShape::Chime ? 23 : 17;
        for (int k = 1; k <= harmonics && k < count; ++k)
            put(k, -p[k]);
        break;
    }
    }
}

void buildRowInto(WtCollection::Row& r, TableShape shape, float sampleRate);

void buildStandardRows(WtCollection::RowSet& set, float sampleRate)
{
    const TableShape shapes[kWtRows] = {TableShape::Saw, TableShape::Triangle, TableShape::Sine, TableShape::Chime,
                                        TableShape::Organ};
    for (int row = 0; row < kWtRows && row < static_cast<int>(set.size()); ++row)
        buildRowInto(set[static_cast<size_t>(row)], shapes[row], sampleRate);
}

// The standard sets in use, by sample rate. Entries only observe: a set lives as long as some
// collection holds it.
std::shared_ptr<const WtCollection::RowSet> sharedStandardRows(float sampleRate)
{
    static std::mutex lock;
    static std::vector<std::pair<float, std::weak_ptr<const WtCollection::RowSet>>> sets;
    const std::lock_guard<std::mutex> hold(lock);
    std::erase_if(sets, [](const auto& entry) { return entry.second.expired(); });
    for (const auto& [rate, set] : sets)
        if (rate == sampleRate)
            if (auto alive = set.lock())
                return alive;
    auto built = std::make_shared<WtCollection::RowSet>(static_cast<size_t>(kWtRows));
    buildStandardRows(*built, sampleRate);
    sets.emplace_back(sampleRate, built);
    return built;
}

} // namespace

int32_t firstHarmonicCount(float sampleRate)
{
    if (!(sampleRate > 0.0f))
        return 0;
    if (sampleRate > kMaxBuildRate)
        sampleRate = kMaxBuildRate;
    return static_cast<int32_t>(sampleRate / 60.0f + 0.5f);
}

WtCollection::WtCollection(int rowCount)
    : rows(std::make_shared<const RowSet>(static_cast<size_t>(rowCount > 0 ? rowCount : 0)))
{
}

void WtCollection::buildRow(int row, TableShape shape, float sampleRate)
{
    if (row < 0 || row >= rowCount())
        return;
    ++builds;
    auto own = std::make_shared<RowSet>(*rows);
    buildRowInto((*own)[static_cast<size_t>(row)], shape, sampleRate);
    rows = std::move(own);
}

void WtCollection::buildAll(float sampleRate)
{
    ++builds;
    if (rowCount() == kWtRows) {
        rows = sharedStandardRows(sampleRate);
        return;
    }
    auto own = std::make_shared<RowSet>(*rows);
    buildStandardRows(*own, sampleRate);
    rows = std::move(own);
}

namespace {

void buildRowInto(WtCollection::Row& r, TableShape shape, float sampleRate)
{
    int32_t harmonics = firstHarmonicCount(sampleRate);

    int32_t pow2 = 1;
    while (pow2 < harmonics)
        pow2 <<= 1;
    const int32_t length = 4 * pow2;

    int32_t tableCount = 0;
    for (int32_t h = harmonics; h > 0; h >>= 1)
        ++tableCount;

    r.tables.clear();
    r.tables.shrink_to_fit();
    r.tables.resize(static_cast<size_t>(tableCount));
    r.count = 0;

    std::vector<float> re(static_cast<size_t>(length));
    float limit = 40.0f / sampleRate;
    while (harmonics > 0) {
        Wavetable& t = r.tables[static_cast<size_t>(r.count)];
        t.samples.assign(static_cast<size_t>(length), 0.0f);
        std::fill(re.begin(), re.end(), 0.0f);
        fillSpectrum(re.data(), length, shape, harmonics);
        fftForward(re.data(), t.samples.data(), length);

        float peak = 0.0f;
        for (float s : t.samples)
            peak = std::fmax(peak, std::fabs(s));
        if (peak > 0.0f) {
            const float scale = 1.0f / (peak * 0.999f);
            for (float& s : t.samples)
                s *= scale;
        }
        // A copy of the first sample after the last, so a read of a sample and its successor
        // is one pair of neighbours even at the wrap.
        t.samples.push_back(t.samples[0]);
        t.maxIncrement = limit;
        t.length = length;
        ++r.count;
        harmonics >>= 1;
        limit *= 2.0f;
    }
}

} // namespace
