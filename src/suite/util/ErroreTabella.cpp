#include "ErroreTabella.h"

namespace evapre {

int ErroreTabella(int entry) {
    switch (entry) {
        case 1:
            return 5;
        case 2:
            return 6;
        case 3:
            return 9;
        case 4:
            return 13;
        case 5:
            return kErrMenuNonInEsecuzione;
        case 6:
            return kErrMenuScomparso;
        case 7:
            return kErrMemoriaEsaurita;
        case 8:
            return 53;
        case 9:
            return 3022;
        default:
            return 0;
    }
}

}  // namespace evapre
