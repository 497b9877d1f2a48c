#include "ModelCopy.h"

#include "ModelBank.h"
#include "TextTable.h"

namespace {
bool IsModel(int index) { return index >= 0 && index < ModelBank::kModels; }
}  // namespace

bool ModelCopy::Possible() const
{
    return IsModel(from_) && IsModel(to_) && from_ != to_;
}

std::string ModelCopy::Question(int language) const
{
    const std::string text = TextTable::Message(TextTable::kCopyModel, language);
    return TextTable::ReplaceStar(TextTable::ReplaceStar(text, from_ + 1), to_ + 1);
}

void ModelCopy::Apply(ModelBank& bank) const
{
    if (!Possible())
        return;
    bank.Model(to_) = bank.Model(from_);
    bank.ModelNumber = to_ * ModelBank::kModelStep;
}
