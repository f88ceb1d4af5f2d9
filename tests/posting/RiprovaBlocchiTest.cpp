// Lock conflicts are retried with a counted notice and end with the warning when they last.
#include <gtest/gtest.h>

#include <QStringList>

#include "DbError.h"
#include "RiprovaBlocchi.h"

namespace evapre::test {
namespace {

struct Esito {
    QStringList avvisi, registro;
    int eseguite = 0;
};

// Runs a unit that fails with the given error for its first `fallite` attempts.
Esito prova(int numero, int fallite, bool* esaurita = nullptr) {
    Esito e;
    RiprovaBlocchi riprova([&](const QString& t) { e.avvisi << t; },
                           [&](const QString& t) { e.registro << t; }, 3, 0);
    try {
        riprova.esegui([&] {
            if (++e.eseguite <= fallite)
                throw DbError(numero, QStringLiteral("conflitto"));
        });
    } catch (const TentativiEsauriti&) {
        if (esaurita)
            *esaurita = true;
    }
    return e;
}

TEST(RiprovaBlocchi, RiprovaIConflittiEPoiRinuncia) {
    const Esito bloccati = prova(DbErr::Locked, 2);
    EXPECT_EQ(bloccati.eseguite, 3);
    EXPECT_EQ(bloccati.avvisi,
              QStringList({"Dati bloccati tentativo n. 2", "Dati bloccati tentativo n. 3"}));
    EXPECT_TRUE(bloccati.registro.isEmpty());

    bool esaurita = false;
    const Esito sempre = prova(DbErr::Locked, 99, &esaurita);
    EXPECT_TRUE(esaurita);
    EXPECT_EQ(sempre.eseguite, 3);
    EXPECT_EQ(sempre.registro,
              QStringList({"Dati in uso da altri: RIPROVARE\n(In caso contrario i dati delle "
                           "sintesi movimenti potrebbero non essere giusti)"}));

    const Esito modificati = prova(DbErr::DataChanged, 99);
    EXPECT_EQ(modificati.avvisi.value(0), "Dati modificati tentativo n. 2");
    EXPECT_TRUE(modificati.registro.value(0).startsWith("Dati modificati da altri: RIPROVARE\n"));
}

TEST(RiprovaBlocchi, AltriErroriPassanoSubito) {
    EXPECT_THROW(prova(DbErr::DuplicateKey, 1), DbError);
}

}  // namespace
}  // namespace evapre::test
