#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace evapre {

// What a code field asks of the lookup list: its table, its filter (an SQL condition with
// formatted values), the key pressed (F2 to F5) and the code the field holds.
struct RichiestaLista {
    QString tabella;  // a name of TabelleAiuto
    QString filtro;
    int tasto = 0;  // Qt::Key_F2 .. Qt::Key_F5
    QString valore;
};

// The help component's list window: the code the user picked, nothing when they cancel.
class ListaAiuto {
  public:
    virtual ~ListaAiuto() = default;
    virtual std::optional<QString> Scegli(QWidget* parent, const RichiestaLista& richiesta) = 0;
};

}  // namespace evapre
