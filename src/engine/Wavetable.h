// Band-limited single-cycle tables, one per octave band of pitch. The standard set for a sample
// rate is built once and shared by every instance in the process that runs at that rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum class TableShape : int {
    Saw = 0,
    Square = 1,
    Triangle = 2,
    Sine = 3,
    Chime = 4,
    Organ = 5,
};

// Rows of the collection, by the oscillator waveforms that read them.
enum WtRow : int {
    WtRowSaw = 0,
    WtRowTriangle = 1,
    WtRowSine = 2,
    WtRowChime = 3,
    WtRowOrgan = 4,
};
constexpr int kWtRows = 5;

struct Wavetable {
    float maxIncrement = 0.0f;  // used for increments (cycles per sample) below this
    int32_t length = 0;         // a power of two
    std::vector<float> samples; // length samples, then the first one again
};

class WtCollection {
public:
    explicit WtCollection(int rows = kWtRows);

    // Replaces the row's tables with a fresh band-limited set for the sample rate, in this
    // collection only.
    void buildRow(int row, TableShape shape, float sampleRate);
    // Every row, in the order the oscillators expect; run at each sample-rate change. A full
    // collection takes the process-wide set for the rate, built by the first instance that
    // needed it and released with the last one that holds it. Safe from any thread.
    void buildAll(float sampleRate);

    // The first table whose limit lies above the increment, else the row's last table;
    // nullptr only while the row has never been built.
    const Wavetable* findTable(int row, float increment) const
    {
        const Row& r = (*rows)[static_cast<std::size_t>(row)];
        if (r.count <= 0)
            return nullptr;
        const Wavetable* t = r.tables.data();
        for (int32_t i = 0; i < r.count - 1; ++i)
            if (t[i].maxIncrement > increment)
                return &t[i];
        return &t[r.count - 1];
    }

    // Whether findTable(row, increment) gives table, one of the row's tables: a small move of the
    // increment mostly stays within a table's band, and this check is cheaper than the search.
    bool isTableFor(const Wavetable* table, int row, float increment) const
    {
        const Row& r = (*rows)[static_cast<std::size_t>(row)];
        const Wavetable* first = r.tables.data();
        const std::ptrdiff_t i = table - first;
        if (r.count <= 0 || i < 0 || i >= r.count)
            return false;
        const bool below = i == r.count - 1 || table->maxIncrement > increment;
        return below && (i == 0 || !(first[i - 1].maxIncrement > increment));
    }

    // Changes whenever a row is rebuilt, so a reader that keeps a table can tell it is gone.
    uint32_t generation() const { return builds; }

    int rowCount() const { return static_cast<int>(rows->size()); }
    int32_t tableCount(int row) const { return (*rows)[static_cast<std::size_t>(row)].count; }
    const Wavetable& table(int row, int index) const
    {
        return (*rows)[static_cast<std::size_t>(row)].tables[static_cast<std::size_t>(index)];
    }

    // True when this collection reads the same tables as the other one (no copy of its own).
    bool sharesTablesWith(const WtCollection& other) const { return rows == other.rows; }

    struct Row {
        int32_t count = 0;
        std::vector<Wavetable> tables;
    };
    using RowSet = std::vector<Row>;

private:
    // Never written once other collections may read it: a build makes a new set.
    std::shared_ptr<const RowSet> rows;
    uint32_t builds = 0;
};

// Harmonic count of a row's first table at a sample rate (later tables halve it).
int32_t firstHarmonicCount(float sampleRate);
