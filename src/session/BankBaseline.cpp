#include "BankBaseline.h"

#include <string>

namespace {
void CopySettings(const ModelSettings& from, ModelSettings& to)
{
    std::string memo = std::move(to.MEMO);
    to = from;
    to.MEMO = std::move(memo);
}
}  // namespace

void BankBaseline::TakeSettings(const ModelBank& bank)
{
    for (int i = 0; i < ModelBank::kModels; ++i)
        TakeSettings(bank, i);
    baseline_.SYS_CUR = bank.SYS_CUR;
}

void BankBaseline::TakeSettings(const ModelBank& bank, int index)
{
    CopySettings(bank.Model(index), baseline_.Model(index));
}

bool BankBaseline::Differs(const ModelBank& bank) const
{
    return bank.models != baseline_.models || bank.SYS_CUR != baseline_.SYS_CUR;
}

bool BankBaseline::SettingsDiffer(const ModelBank& bank) const
{
    if (bank.SYS_CUR != baseline_.SYS_CUR)
        return true;
    for (int i = 0; i < ModelBank::kModels; ++i) {
        if (SettingsDiffer(bank, i))
            return true;
    }
    return false;
}

bool BankBaseline::SettingsDiffer(const ModelBank& bank, int index) const
{
    ModelSettings a = bank.Model(index);
    a.MEMO = baseline_.Model(index).MEMO;
    return !(a == baseline_.Model(index));
}
