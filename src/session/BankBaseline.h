#pragma once
#include "ModelBank.h"

// What the bank held when it last matched a settings file or the controller, to tell the edits
// that closing, Open or reading all would lose. The tab shown is no edit. Memos live only in
// files, so a transfer never makes a memo edit safe.
class BankBaseline {
public:
    // Opened, saved, or the start-up defaults: everything is safe.
    void Take(const ModelBank& bank) { baseline_ = bank; }
    // Read from or written to the controller, all models: their settings (and the controller's
    // system byte) are safe there.
    void TakeSettings(const ModelBank& bank);
    // One model read from or written to the controller.
    void TakeSettings(const ModelBank& bank, int index);

    // Any edit not kept anywhere.
    bool Differs(const ModelBank& bank) const;
    // An edit that reading all models would overwrite (everything but the memos).
    bool SettingsDiffer(const ModelBank& bank) const;
    // An edit of one model's settings (what reading or resetting that model overwrites).
    bool SettingsDiffer(const ModelBank& bank, int index) const;

private:
    ModelBank baseline_;
};
