#pragma once

namespace evapre {

// The utility library's error table: entry number → the error
// number the suite raises for it. Numbers are those of the Visual Basic run time the suite
// was written for:
//   entry 1 → 5    invalid procedure call or argument
//   entry 2 → 6    overflow
//   entry 3 → 9    subscript out of range
//   entry 4 → 13   type mismatch
//   entry 5 → 429  the menu program is not running (ActiveX component can't create object)
//   entry 6 → 462  the menu program went away (remote server not available)
//   entry 7 → 7    out of memory
//   entry 8 → 53   file not found
//   entry 9 → 3022 duplicate key
// Any other entry → 0.
inline constexpr int kErrMenuNonInEsecuzione = 429;
inline constexpr int kErrMenuScomparso = 462;
inline constexpr int kErrMemoriaEsaurita = 7;

int ErroreTabella(int entry);

}  // namespace evapre
