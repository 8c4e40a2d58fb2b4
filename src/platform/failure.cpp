#include "platform/failure.h"

#include <cstdio>
#include <cstring>

namespace pellimar {

namespace {

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string withWhat(const std::string& what, const std::string& text) {
    return what.empty() ? text : what + ": " + text;
}

// A refused link: "It" for the file's own name, else the link on the way, quoted.
std::string linkSubject(const std::string& what) {
    return what.empty() ? std::string("It") : "\"" + what + "\"";
}

std::string bare(const Failure& f) {
    const std::string at = f.offset == kNoOffset ? std::string() : " at byte " + hex(f.offset);
    const std::string reason = f.error != 0 ? std::string(std::strerror(f.error)) : std::string();
    const std::string& what = f.what;
    switch (f.fault) {
        case Fault::CannotOpen:
            return withWhat(what, "cannot open: " + (reason.empty() ? "unknown error" : reason));
        case Fault::NotRegularFile:
            return withWhat(what, "not a regular file");
        case Fault::ReadFailed:
            return withWhat(what, "cannot read" + at + (reason.empty() ? "" : ": " + reason));
        case Fault::FileChanged:
            return withWhat(what, "the file was cut short while it was read" + at);
        case Fault::NotIconContainer:
            return withWhat(what, "not a Windows program, library, icon or cursor file");
        case Fault::CutOff:
            return (what.empty() ? "data" : what) + " cut off" + at;
        case Fault::BadValue:
            return (what.empty() ? "a value" : what) + " is not valid" + at;
        case Fault::MissingImage:
            return (what.empty() ? "an image" : what) + " is not in the file";
        case Fault::CapReached:
            return "stopped at a limit: " + what;
        case Fault::UnsupportedImage:
            return "an image of a kind that is not read" + (what.empty() ? "" : " (" + what + ")");
        case Fault::DamagedImage:
            return "damaged image data" + (what.empty() ? "" : " (" + what + ")") + at;
        case Fault::NoSuchIcon:
            return what.empty() ? "no such icon" : "no " + what;
        case Fault::NoImage:
            return what.empty() ? "none of its images can be read" : what;
        case Fault::CannotEncode:
            return "cannot be encoded" + (what.empty() ? "" : ": " + what);
        case Fault::WriteFailed:
            return withWhat(what, "cannot write" + (reason.empty() ? "" : ": " + reason));
        case Fault::SharedFolderLink:
            return linkSubject(what) +
                   " is a symbolic link that someone else put in a folder everyone may write "
                   "to; it is not followed";
        case Fault::OthersLink:
            return linkSubject(what) +
                   " is a symbolic link that someone else made; it is not followed";
        case Fault::LinkInOthersFolder:
            return linkSubject(what) +
                   " is a symbolic link in a folder that someone else owns or may write to; it "
                   "is not followed";
        case Fault::LinkAtName:
            return "It is a symbolic link; this file is never written through one";
        case Fault::NoFileName:
            return "There is no file name in it";
        case Fault::NotChosen:
            return what.empty() ? "not chosen" : what;
    }
    return what;
}

}  // namespace

bool isWriteFault(Fault fault) {
    switch (fault) {
        case Fault::WriteFailed:
        case Fault::SharedFolderLink:
        case Fault::OthersLink:
        case Fault::LinkInOthersFolder:
        case Fault::LinkAtName:
        case Fault::NoFileName:
            return true;
        default:
            return false;
    }
}

std::string Failure::message() const {
    if (context.empty()) return bare(*this);
    // A structure that is cut off or bad, said of the part it happened in, is
    // that part: "icon directory cut off at byte 0x6".
    if (what.empty() &&
        (fault == Fault::CutOff || fault == Fault::BadValue || fault == Fault::MissingImage)) {
        Failure named = *this;
        named.what = context;
        return bare(named);
    }
    return context + ": " + bare(*this);
}

Failure Failure::within(const std::string& part) const {
    Failure f = *this;
    if (!part.empty()) f.context = context.empty() ? part : part + ": " + context;
    return f;
}

Failure failure(Fault fault, std::string what, std::uint64_t offset) {
    Failure f;
    f.fault = fault;
    f.what = std::move(what);
    f.offset = offset;
    return f;
}

Failure capReached(Cap cap, std::string what) {
    Failure f = failure(Fault::CapReached, std::move(what));
    f.cap = cap;
    return f;
}

Failure systemFailure(Fault fault, int error, std::string what) {
    Failure f = failure(fault, std::move(what));
    f.error = error;
    return f;
}

}  // namespace pellimar
