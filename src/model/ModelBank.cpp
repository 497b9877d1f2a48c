#include "ModelBank.h"

void ModelBank::Initialise()
{
    for (auto& m : models)
        m = ModelSettings{};
    ModelNumber = 0;
    SYS_CUR = kDefaultSysCur;
}

void ModelBank::ResetShownModel(int tabIndex)
{
    Model(tabIndex).ResetSettings();
}
