#include "PortCauseText.h"

#include <cstring>

#include "TextTable.h"

namespace {

std::string Holders(const OpenCause& cause)
{
    std::string list;
    for (const auto& h : cause.holders) {
        if (!list.empty())
            list += ", ";
        list += (h.program.empty() ? std::string("?") : h.program) + " (pid " + std::to_string(h.pid) + ")";
    }
    return list;
}

}  // namespace

std::string PortCauseText::Line(const OpenCause& cause, int language)
{
    using K = OpenCause::Kind;
    const auto text = [language](int n, const std::vector<std::string>& values) {
        return TextTable::ReplaceStars(TextTable::Message(n, language), values);
    };
    switch (cause.kind) {
    case K::Unknown:
        return {};
    case K::Unassigned:
        return text(TextTable::kCauseUnassigned, {});
    case K::NoDevice:
        return text(TextTable::kCauseNoDevice, {cause.device});
    case K::PermissionDenied:
        switch (cause.access) {
        case OpenCause::Access::JoinGroup:
            return text(TextTable::kCauseJoinGroup, {cause.device, cause.group, cause.group});
        case OpenCause::Access::LogInAgain:
            return text(TextTable::kCauseLogInAgain, {cause.group, cause.device});
        case OpenCause::Access::RootOnly:
            return text(TextTable::kCauseRootOnly, {cause.device});
        }
        return {};
    case K::Busy:
        if (cause.holders.empty())
            return text(TextTable::kCauseBusy, {});
        return text(TextTable::kCauseBusyBy, {Holders(cause)});
    case K::NotSerial:
        return text(TextTable::kCauseNotSerial, {cause.device});
    case K::Other:
        return text(TextTable::kCauseOther, {cause.device, std::strerror(cause.error)});
    }
    return {};
}
