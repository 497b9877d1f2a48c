#include "TransferResult.h"

#include <vector>

#include "TextTable.h"

namespace {

std::string Text(int msg, int language, const std::vector<std::string>& values)
{
    return TextTable::ReplaceStars(TextTable::Message(msg, language), values);
}

std::string ModelName(size_t i)
{
    return "MODEL" + std::to_string(i + 1);
}

// One list of things in the same state: runs of three or more models as a range, then the
// model number, e.g. "MODEL1 to MODEL4", "MODEL5 and the model number".
struct Things {
    std::vector<size_t> models;
    bool modelNumber = false;

    bool Empty() const { return models.empty() && !modelNumber; }
    bool Many() const { return models.size() + (modelNumber ? 1 : 0) > 1; }

    std::string Say(int language) const
    {
        std::vector<std::string> items;
        for (size_t k = 0; k < models.size();) {
            size_t end = k;
            while (end + 1 < models.size() && models[end + 1] == models[end] + 1)
                ++end;
            if (end - k >= 2) {
                items.push_back(Text(TextTable::kModelRange, language, {ModelName(models[k]), ModelName(models[end])}));
            } else {
                for (size_t j = k; j <= end; ++j)
                    items.push_back(ModelName(models[j]));
            }
            k = end + 1;
        }
        if (modelNumber)
            items.push_back(TextTable::Message(TextTable::kTheModelNumber, language));
        std::string list = items.front();
        for (size_t k = 1; k < items.size(); ++k)
            list = Text(k + 1 == items.size() ? TextTable::kListPair : TextTable::kListMore, language, {list, items[k]});
        return list;
    }
};

}  // namespace

std::string TransferResult::Describe(int language) const
{
    if (ok)
        return "ok";
    const std::string number = std::to_string(model + 1);
    std::string what;
    switch (step) {
    case Step::None:
        what = TextTable::Message(TextTable::kStepTransfer, language);
        break;
    case Step::RangeCheck:
        return outOfRange ? outOfRange->Text(language) : TextTable::Message(TextTable::kSomeValueOutOfRange, language);
    case Step::ReadModelNumber:
        what = TextTable::Message(TextTable::kStepReadModelNumber, language);
        break;
    case Step::ReadModel:
        what = Text(TextTable::kStepReadModel, language, {number});
        break;
    case Step::WriteModel:
        what = Text(TextTable::kStepWriteModel, language, {number});
        break;
    case Step::WriteModelNumber:
        what = TextTable::Message(TextTable::kStepWriteModelNumber, language);
        break;
    }
    return what + ": " + failure.Describe(language);
}

std::string TransferResult::Cause(int language) const
{
    int advice = -1;
    if (failure.cause == ExchangeFailure::Cause::NoPort)
        advice = TextTable::kChooseAPort;
    else if (failure.cause == ExchangeFailure::Cause::PortError)
        advice = TextTable::kChooseThePortAgain;
    std::string text = Describe(language);
    if (advice >= 0)
        text += (language == 0 ? "。" : "; ") + TextTable::Message(advice, language);
    return text;
}

std::string TransferResult::WriteSummary(int language) const
{
    bool any = false;
    for (bool a : addressed)
        any = any || a;
    if (ok || !any)
        return {};

    std::array<Things, 3> by;  // indexed by Written
    for (size_t i = 0; i < addressed.size(); ++i)
        if (addressed[i])
            by[static_cast<size_t>(written[i])].models.push_back(i);
    by[static_cast<size_t>(modelNumber)].modelNumber = true;
    const Things& yes = by[static_cast<size_t>(Written::Yes)];
    const Things& maybe = by[static_cast<size_t>(Written::Maybe)];
    const Things& no = by[static_cast<size_t>(Written::No)];

    std::vector<std::string> clauses;
    if (!yes.Empty())
        clauses.push_back(Text(yes.Many() ? TextTable::kWrittenMany : TextTable::kWrittenOne, language, {yes.Say(language)}));
    if (!maybe.Empty())
        clauses.push_back(Text(TextTable::kMaybeWritten, language, {maybe.Say(language)}));
    if (!no.Empty()) {
        const bool after = !clauses.empty();
        const int msg = after ? (no.Many() ? TextTable::kNotEitherMany : TextTable::kNotEitherOne)
                              : (no.Many() ? TextTable::kNotWrittenMany : TextTable::kNotWrittenOne);
        clauses.push_back(Text(msg, language, {no.Say(language)}));
    }
    std::string text = clauses.front();
    for (size_t k = 1; k < clauses.size(); ++k)
        text = Text(TextTable::kClauses, language, {text, clauses[k]});
    text = Text(TextTable::kSentence, language, {text});
    if (text.rfind("the ", 0) == 0)
        text[0] = 'T';
    return text;
}
