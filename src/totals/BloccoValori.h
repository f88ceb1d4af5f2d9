#pragma once

#include "Currency.h"

namespace evapre {

// The amounts every level of the VAT summary keeps: a VAT bucket, its counter-accounts and
// their cost-centre and competence buckets. The odSVal* fields and odMerce are accumulated
// row by row; the others are derived once the rows are in.
struct BloccoValori {
    Currency odImpon;
    Currency odImpos;
    Currency odMerce;
    Currency odTotImpoImpos;
    Currency odIvaOmaggioT;
    Currency odImpOmaggioT;
    Currency odSVal;
    Currency odSValPerSco;
    Currency odScoPagam;
    Currency odSValOmaggio;
    Currency odSValOmaggioPerSco;
    Currency odScoPagamOmaggio;
    Currency odSValOmaggioT;
    Currency odSValSpese;
    Currency odSValSpesePerSco;
    Currency odScoPagamSpese;
    Currency odSValIvSpese;
    Currency odSValIvSpesePerSco;
};

}  // namespace evapre
