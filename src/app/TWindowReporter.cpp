#include "TWindowReporter.h"

#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include "MessageDialog.h"
#include "TCurveEditor.h"
#include "TMainForm.h"
#include "TModelEditor.h"
#include "TMonForm.h"

void TWindowReporter::Begin()
{
    // A number being typed commits before the transfer reads the bank.
    form_.FocusPanel4();
    form_.setEnabled(false);
}

void TWindowReporter::End()
{
    form_.setEnabled(true);
}

void TWindowReporter::Pause(int32_t ms)
{
    // A blocking pause, as the controller's timing expects; the progress window was painted
    // while the previous reply was awaited.
    QThread::msleep(static_cast<unsigned long>(ms));
}

void TWindowReporter::StartProgress(int32_t maximum)
{
    monForm_.PG_BAR->setValue(0);
    monForm_.PG_BAR->setMaximum(maximum);
    monForm_.MSG_LB->setText(QString());
    monForm_.SetLanguage(form_.Language);
    monForm_.show();
}

void TWindowReporter::SetLabel(const std::string& text)
{
    monForm_.MSG_LB->setText(QString::fromStdString(text));
}

void TWindowReporter::Step()
{
    monForm_.PG_BAR->setValue(monForm_.PG_BAR->value() + 1);
}

void TWindowReporter::HideProgress()
{
    monForm_.hide();
}

void TWindowReporter::ShowBank()
{
    form_.MDL_SEL->ShowModel();
    form_.MDL_SEL->Curve().ClearFrqSelection();
}

void TWindowReporter::Message(Kind kind, const std::string& text)
{
    if (kind == Kind::Information && succeeded_)
        succeeded_();
    MessageDialog(static_cast<uint8_t>(kind), DialogButtons::Ok, text, form_.Language);
}
