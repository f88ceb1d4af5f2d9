// INI parser: any bytes are read without a crash, and every listed key reads back.
#include "IniFile.h"

#include <cstdlib>

using namespace evapre;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const IniFile ini = IniFile::fromData(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    for (const QString& section : ini.sections()) {
        for (const QString& key : ini.keys(section)) {
            if (!ini.contains(section, key))
                std::abort();
            (void)ini.value(section.toUpper(), key.toLower());
            (void)ini.intValue(section, key, 7);
        }
    }
    return 0;
}
