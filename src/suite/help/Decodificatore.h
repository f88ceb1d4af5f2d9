#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace evapre {

class DbConnection;
struct TabellaAiuto;

struct CodiceDecodificato {
    bool trovato = false;
    QString descrizione;  // "** INESISTENTE **" for a code not found, empty for a blank code
    QHash<QString, QString> valori;  // the other columns asked for, by name
};

// The decoders beside the code fields: a code looked up in its table, under the field's
// filter, gives its description and the columns the form needs.
class Decodificatore {
  public:
    explicit Decodificatore(DbConnection& db);

    static QString Inesistente() { return QStringLiteral("** INESISTENTE **"); }

    // filtro: an SQL condition on the table's columns, its values already formatted.
    // DbError goes to the caller.
    CodiceDecodificato Decodifica(const TabellaAiuto& tabella, const QString& codice,
                                  const QString& filtro = {}, const QStringList& colonne = {});
    // By the table's name; an unknown name decodes nothing.
    CodiceDecodificato Decodifica(const QString& nomeTabella, const QString& codice,
                                  const QString& filtro = {}, const QStringList& colonne = {});

    // The condition that keeps the accounts of one kind ("3" customers).
    QString FiltroTipoConto(const QString& tipo) const;

  private:
    DbConnection& mDb;
};

}  // namespace evapre
