#pragma once

namespace evapre {

class AziendaUtil;
class DbConnection;
class ParametriDitta;
class UiServices;
class scEvaPrev;

// Sets the engine's purchase and commitment call points to the purchasing module: purchase
// orders for each quote (their errors into the run's log), the customer commitment of the
// sales orders produced and its release when order lines are only closed.
void CollegaAcquisti(scEvaPrev& motore, DbConnection& db, ParametriDitta& parametri,
                     AziendaUtil& moneta, UiServices& ui);

}  // namespace evapre
