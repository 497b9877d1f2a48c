#include "ModelSettings.h"

void ModelSettings::ResetSettings()
{
    NBRK = kDefaultNBRK;
    BFREQ = kDefaultBFREQ;
    VLT = kDefaultVLT;
    PROG = kDefaultPROG;
    FRQ = MakeDefaultCurve();
}
