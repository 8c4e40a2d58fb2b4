// Why something could not be read, decoded or written: a small enum of kinds and
// the detail that makes it useful (which structure, which offset, which system
// error, which cap). Readers and writers return Result<T>, a value or a Failure;
// callers print the failure's message and decide by its kinds (`fault`, `cap`),
// never by its text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

#include "platform/caps.h"

namespace pellimar {

enum class Fault : std::uint8_t {
    CannotOpen,        // the file cannot be opened: `error` holds the system's reason
    NotRegularFile,    // a folder, pipe or device
    ReadFailed,        // the system failed a read: `error`
    FileChanged,       // the file no longer holds bytes it held when it was opened
    NotIconContainer,  // neither a PE nor an NE file, nor an icon or cursor file
    CutOff,            // `what` runs past the end of the file (at `offset`)
    BadValue,          // `what` holds a value the format does not allow
    MissingImage,      // a group names an image the file does not hold
    CapReached,        // the input asked for more than `cap` allows; `what` says it in words
    UnsupportedImage,  // an image of a kind that is not read (`what` says which)
    DamagedImage,      // image data that cannot be decoded (`what` says where it fails)
    NoSuchIcon,        // no icon at the position asked for
    NoImage,           // an icon none of whose images can be used (`what` may say why)
    CannotEncode,      // a picture that cannot be encoded (`what` says why)
    WriteFailed,       // the system failed a write: `error`
    // Writes refused so that no other user steers them (`what`: the link, when it
    // is a folder on the way to the file; empty when it is at the file's own name):
    SharedFolderLink,    // someone else's symbolic link in a folder everyone may write to
    OthersLink,          // someone else's symbolic link
    LinkInOthersFolder,  // a symbolic link in a folder someone else owns or may write to
    LinkAtName,          // a symbolic link where a file is written in place
    NoFileName,          // a name with no file name in it ("/", "dir/")
    // Nothing wrong with the input: the choices made leave it out (`what` says
    // what and which choice, as "its image is 24 x 24, and that size is not chosen").
    NotChosen,
};

// Whether `fault` is one of a write: the system's (WriteFailed) or a refusal above.
bool isWriteFault(Fault fault);

inline constexpr std::uint64_t kNoOffset = UINT64_MAX;

struct Failure {
    Fault fault = Fault::BadValue;
    Cap cap = Cap::None;               // which cap, for CapReached
    std::string what;                  // the structure, item or cap concerned
    std::uint64_t offset = kNoOffset;  // where in the file, when known
    int error = 0;                     // the errno value, for system failures
    std::string context;               // the part it happened in: "icon 3: image 2"

    // One line for a person: "icon directory cut off at byte 0x1F6",
    // "cannot open: No such file or directory", "image 2: damaged image data (...)".
    std::string message() const;
    // The same failure said of a part it happened in: within("icon 3") gives
    // "icon 3: <message>", and within("icon 3") of within("image 2"), "icon 3: image 2: ...".
    Failure within(const std::string& part) const;
};

Failure failure(Fault fault, std::string what = {}, std::uint64_t offset = kNoOffset);
Failure systemFailure(Fault fault, int error, std::string what = {});
// Fault::CapReached at `cap`; `what` names it for a person ("64 MB of one resource").
Failure capReached(Cap cap, std::string what);

// A value, or the failure that stands in its place.
template <typename T>
class Result {
  public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

    const Failure& failure() const { return std::get<1>(state_); }

  private:
    std::variant<T, Failure> state_;
};

// For operations that give nothing but may fail.
struct Done {};

}  // namespace pellimar
