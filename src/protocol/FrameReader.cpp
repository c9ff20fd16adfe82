#include "protocol/FrameReader.h"

#include "protocol/NciReader.h"
#include "protocol/PatternReader.h"
#include "protocol/SicsReader.h"
#include "protocol/SmaReader.h"
#include "protocol/ToledoReader.h"

namespace kivo {

std::unique_ptr<FrameReader> makeProtocolReader(int mode, const PatternLayout &pattern)
{
    switch (mode) {
    case ModeToledo:
        return std::make_unique<ToledoReader>();
    case ModeSics:
        return std::make_unique<SicsReader>();
    case ModeNci:
        return std::make_unique<NciReader>();
    case ModeSma:
        return std::make_unique<SmaReader>();
    case ModePattern:
        if (!pattern.problem().isEmpty())
            return nullptr;
        return std::make_unique<PatternReader>(pattern);
    default:
        return nullptr;
    }
}

QStringList protocolLayoutNames()
{
    return {QStringLiteral("Toledo continuous"), QStringLiteral("MT-SICS"), QStringLiteral("NCI"),
            QStringLiteral("SMA"), QStringLiteral("Pattern")};
}

QByteArray pollRequest(int mode, const PatternLayout &pattern)
{
    switch (mode) {
    case ModeSics:
        return QByteArrayLiteral("SI\r\n");
    case ModeNci:
        return QByteArrayLiteral("W\r");
    case ModeSma:
        return QByteArrayLiteral("\nW\r");
    case ModePattern:
        return pattern.request;
    default:
        return {};
    }
}

} // namespace kivo
