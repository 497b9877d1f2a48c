#pragma once
#include <string>

#include "DeviceBank.h"
#include "ModelBank.h"

// What the page's window holds, in standard C++: the bank and the staging copy for the
// transfers, with one operation per thing the user does. The page forwards input here and draws
// the view that comes back.
class PageSession {
public:
    explicit PageSession(int language);

    int Language() const { return language_; }
    ModelBank& Bank() { return bank_; }
    DeviceBank& Staging() { return staging_; }

    // The shown model as the editors show it, as one JSON object (see web/main.js, render).
    std::string ViewJson() const;

    // Puts the bank into the editors after a transfer or a load.
    void ShowBank() {}
    // A press on tab t (0..4) shows that model.
    void SelectTab(int tab);

private:
    const ModelSettings& Shown() const { return bank_.Model(bank_.ShownIndex()); }

    int language_;
    ModelBank bank_;
    DeviceBank staging_;
};
