#include "analysis/WeightTrend.h"

#include <algorithm>

namespace kivo {

void WeightTrend::add(qint64 ms, double weight, bool stable, bool overload)
{
    const qint64 start = ms - ms % kBucketMs;
    if (m_buckets.empty() || start > m_buckets.back().startMs) {
        m_buckets.push_back({start, weight, weight, weight, stable, overload});
    } else {
        Bucket &b = m_buckets.back();
        b.low = std::min(b.low, weight);
        b.high = std::max(b.high, weight);
        b.last = weight;
        b.stable = b.stable && stable;
        b.overload = b.overload || overload;
    }
    const qint64 oldest = m_buckets.back().startMs - kKeepMs;
    while (!m_buckets.empty() && m_buckets.front().startMs < oldest)
        m_buckets.pop_front();
}

std::vector<WeightTrend::Bucket> WeightTrend::view(qint64 fromMs, int maxPoints) const
{
    std::vector<Bucket> out;
    auto first = std::lower_bound(m_buckets.begin(), m_buckets.end(), fromMs,
                                  [](const Bucket &b, qint64 ms) { return b.startMs < ms; });
    const auto count = qsizetype(std::distance(first, m_buckets.end()));
    if (count == 0 || maxPoints <= 0)
        return out;
    const qsizetype per = (count + maxPoints - 1) / maxPoints;
    out.reserve(size_t((count + per - 1) / per));
    qsizetype inGroup = 0;
    for (auto it = first; it != m_buckets.end(); ++it) {
        if (inGroup == 0) {
            out.push_back(*it);
        } else {
            Bucket &m = out.back();
            m.low = std::min(m.low, it->low);
            m.high = std::max(m.high, it->high);
            m.last = it->last;
            m.stable = m.stable && it->stable;
            m.overload = m.overload || it->overload;
        }
        inGroup = (inGroup + 1) % per;
    }
    return out;
}

} // namespace kivo
