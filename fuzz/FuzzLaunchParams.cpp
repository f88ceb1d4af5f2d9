// Launch parameters: parsing never crashes and what it finds, rebuilt, parses the same.
#include "LaunchParams.h"

#include <cstdlib>

using namespace evapre;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString input =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto params = ParseLaunchParams(input);
    const QString rebuilt = BuildLaunchParams(params);
    if (ParseLaunchParams(rebuilt) != params)
        std::abort();
    for (const auto& [letter, value] : params)
        if (!HasLaunchParam(letter, input))
            std::abort();
    (void)LaunchParam(u'P', input);
    QStringList args = BuildLaunchArgs(params);
    if (ParseLaunchParams(LaunchParamsFromArgs(args)) != params)
        std::abort();
    return 0;
}
