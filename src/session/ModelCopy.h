#pragma once
#include <string>

struct ModelBank;

// Copying one model onto another, as dragging its tab onto another tab does after a question.
class ModelCopy {
public:
    ModelCopy(int from, int to) : from_(from), to_(to) {}

    // Only between two different models of the five: a drop on the tab it came from, beside
    // the tabs, or a drag that began beside them copies nothing and asks nothing.
    bool Possible() const;
    // The question before the copy, the dragged model first ("Copy? MODEL2 -> MODEL5").
    std::string Question(int language) const;
    // The whole record, memo included, onto the target, which becomes the shown model.
    // Nothing when the copy is not possible.
    void Apply(ModelBank& bank) const;

private:
    int from_;
    int to_;
};
