// Row creation that replaces a half-made row, and the texts of a stopped add.
#include "core/RowCreate.h"

namespace ksx {

namespace {

bool Stopping(const RowStatusAccess& access) {
    return access.stopping && access.stopping();
}

}  // namespace

RowCreated CreateRow(const RowStatusAccess& access, const std::string& value) {
    // A row that is there but not active (notInService, notReady; underCreation) is one nobody
    // finished: it goes.
    const auto replace = [&](const std::optional<long long>& status) {
        if (!status) {
            return RowCreated::kCreated;  // absent, or the read failed: nothing to replace
        }
        if (*status == 1) {
            return RowCreated::kActive;
        }
        const char* destroy = access.kind == StatusKind::kEntryStatus ? "4" : "6";
        return !Stopping(access) && access.set(destroy) ? RowCreated::kCreated : RowCreated::kRefused;
    };
    if (access.readFirst && access.read) {
        const std::optional<long long> status = access.read();
        if (Stopping(access)) {
            return RowCreated::kRefused;
        }
        if (status && *status == 1) {
            // The create still goes: the device says whether it takes it.
            return !Stopping(access) && access.set(value) ? RowCreated::kCreated : RowCreated::kActive;
        }
        if (const RowCreated r = replace(status); r != RowCreated::kCreated) {
            return r;
        }
        return !Stopping(access) && access.set(value) ? RowCreated::kCreated : RowCreated::kRefused;
    }
    if (Stopping(access)) {
        return RowCreated::kRefused;
    }
    if (access.set(value)) {
        return RowCreated::kCreated;
    }
    if (Stopping(access) || !access.read) {
        return RowCreated::kRefused;
    }
    // Refused or unanswered: a row of this index may be there already.
    const std::optional<long long> status = access.read();
    if (!status || Stopping(access)) {
        return RowCreated::kRefused;
    }
    if (const RowCreated r = replace(status); r != RowCreated::kCreated) {
        return r;
    }
    return !Stopping(access) && access.set(value) ? RowCreated::kCreated : RowCreated::kRefused;
}

std::optional<long long> StatusFromText(bool read, const std::string& text) {
    if (!read || text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long long v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string StoppedAddText(const std::string& what, const AddProgress& progress, const std::string& verb) {
    const std::string the = "the " + what;
    switch (progress.Stage()) {
        case AddStage::kNone:
            break;
        case AddStage::kCreate:
            if (!progress.Confirmed()) {
                return "Stopped: the device did not confirm whether a row for " + the + " was created; " +
                       the + " is not active. Adding it again replaces that row.";
            }
            [[fallthrough]];
        case AddStage::kColumns:
            return "Stopped: a row for " + the + " was created on the device but not activated. Adding " +
                   the + " again replaces it.";
        case AddStage::kActivate:
            if (progress.Confirmed()) {
                return "Stopped: " + the + " was " + verb + ".";
            }
            return "Stopped: the device did not confirm whether " + the + " was " + verb +
                   ". If it is not listed, add it again.";
    }
    return "Stopped: " + the + " was not " + verb + ".";
}

}  // namespace ksx
