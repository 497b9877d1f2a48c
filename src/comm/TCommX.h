#pragma once
#include "TCustomCommX.h"

// The component as the main window holds it.
class TCommX : public TCustomCommX {
public:
    using TCustomCommX::TCustomCommX;
};
