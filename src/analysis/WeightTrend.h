#pragma once

#include <QtGlobal>

#include <deque>
#include <vector>

namespace kivo {

// The weight over time for the trend plot, bounded however fast readings come: readings are
// folded into buckets of kBucketMs (lowest, highest and last weight, whether all were stable,
// whether any was an overload), and buckets older than kKeepMs are dropped. At most
// kKeepMs / kBucketMs buckets are ever held.
class WeightTrend
{
public:
    static constexpr qint64 kBucketMs = 100;
    static constexpr qint64 kKeepMs = 30 * 60 * 1000;

    struct Bucket
    {
        qint64 startMs = 0;
        double low = 0;
        double high = 0;
        double last = 0;
        bool stable = true;
        bool overload = false;
    };

    // A reading at `ms` (any clock that does not go back; later readings at earlier times join
    // the last bucket).
    void add(qint64 ms, double weight, bool stable, bool overload);
    void clear() { m_buckets.clear(); }

    [[nodiscard]] const std::deque<Bucket> &buckets() const { return m_buckets; }

    // The buckets from `fromMs` on, merged so that no more than `maxPoints` remain (each merged
    // bucket keeps the extremes, the last weight, stable only when all were, overload when any was).
    [[nodiscard]] std::vector<Bucket> view(qint64 fromMs, int maxPoints) const;

private:
    std::deque<Bucket> m_buckets;
};

} // namespace kivo
