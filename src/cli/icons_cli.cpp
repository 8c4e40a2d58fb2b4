#include "cli/icons_cli.h"

#include <charconv>
#include <map>
#include <memory>
#include <optional>

#include "cli/input.h"
#include "cli/json_text.h"
#include "cli/resource_choice.h"
#include "platform/caps.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/language_tags.h"
#include "platform/output_files.h"
#include "platform/version_info.h"

namespace pellimar::cli {

namespace {

constexpr int kMaxDrawSize = 1024;

// The note a listing gives where the images of one file pass what is read.
void noteListingCap(const std::string& name, const IconSet& set, int index, std::ostream& err) {
    err << "pellimar-cli: note: " << name << ": the listing stops after " << kMaxImagesPerFile
        << " images, before icon " << index << " of " << set.iconCount() << "\n";
}

// Why a listed group, or what its directory names, cannot be read: one note a
// group, for its directory or the first of its images that cannot be had, with
// how many more of them cannot. `withLanguage` for a further language.
void noteUnreadable(const std::string& name, const IconGroup& group, bool withLanguage,
                    std::ostream& err) {
    std::optional<Failure> why = group.failure;
    std::size_t more = 0;
    for (std::size_t j = 0; !group.failure && j < group.images.size(); ++j) {
        const std::optional<Failure>& failed = group.images[j].failure;
        if (!failed) continue;
        if (why)
            ++more;
        else
            why = failed->within("image " + std::to_string(j));
    }
    if (!why) return;
    err << "pellimar-cli: note: " << name << ": "
        << why->within(groupText(group.identity, withLanguage)).message();
    if (more > 0) err << " (and " << more << " more of its images)";
    err << "\n";
}

void appendNumber(std::string& text, std::uint64_t value) {
    char digits[24];
    const auto done = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, done.ptr);
}

// What the reading left out of a file, but the file's cap on images, which the
// listing names where it stops, and the cap on one group's images where the
// listing names that at the group (`groupCapNamed`).
void notesOf(const IconSet& set, const std::string& name, bool groupCapNamed, std::ostream& err) {
    for (const Failure& note : set.notes()) {
        if (note.cap == Cap::ImagesPerFile) continue;
        if (note.cap == Cap::ImagesPerGroup && groupCapNamed) continue;
        err << "pellimar-cli: note: " << name << ": " << note.message() << "\n";
    }
}

// The images of a group as list prints them: WIDTHxHEIGHT@BITS, and for a cursor
// its hotspot after it (+X+Y).
std::string imagesText(const IconGroup& group) {
    std::string text;
    for (const StoredImage& image : group.images) {
        text += " " + std::to_string(image.width()) + "x" + std::to_string(image.height()) + "@" +
                std::to_string(image.depth);
        if (group.identity.kind == ResourceKind::Cursor)
            text += "+" + std::to_string(image.hotspotX) + "+" + std::to_string(image.hotspotY);
    }
    return text;
}

// A group's line: its position, its ID or name and language when it has them,
// its images. `lead` comes first: "" for an icon, "cursor " for a cursor, and a
// "+" before either for a further language of the group above.
void groupLine(std::ostream& out, const std::string& lead, const IconGroup& group) {
    const std::string identity = identityText(group.identity);
    out << lead << group.identity.position << (identity.empty() ? "" : " ") << identity
        << imagesText(group) << "\n";
}

// The further languages of each position, in the file's order.
std::map<int, std::vector<const IconGroup*>> languagesByPosition(const IconSet& set,
                                                                 ResourceKind kind) {
    std::map<int, std::vector<const IconGroup*>> out;
    for (const IconGroup& group : set.otherLanguages(kind))
        if (!group.pastImagesCap()) out[group.identity.position].push_back(&group);
    return out;
}

void listAsText(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    for (const std::string& operand : files) {
        const std::string name = inputName(operand);
        auto set = openInput(operand);
        if (!set) {
            if (set.failure().fault == Fault::NotIconContainer) {
                // A kind that is told apart but not read is named.
                if (!set.failure().what.empty())
                    err << "pellimar-cli: note: " << name << ": " << set.failure().what << "\n";
                out << quotedName(name) << ": 0\n";
                continue;
            }
            err << "pellimar-cli: cannot read " << name << ": " << reasonOf(set.failure()) << "\n";
            out << quotedName(name) << ": 0\n";
            status = 1;
            continue;
        }
        const int count = set->iconCount();
        out << quotedName(name) << ": " << count << "\n";
        bool capNoted = false;
        for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
            const std::string lead = kind == ResourceKind::Icon ? "" : "cursor ";
            auto languages = languagesByPosition(*set, kind);
            const auto& groups = set->groups(kind);
            for (std::size_t i = 0; i < groups.size(); ++i) {
                const IconGroup& group = groups[i];
                if (group.pastImagesCap()) {
                    noteListingCap(name, *set, int(i), err);
                    break;
                }
                groupLine(out, lead, group);
                noteUnreadable(name, group, false, err);
                for (const IconGroup* other : languages[int(i)]) {
                    groupLine(out, "+" + lead, *other);
                    noteUnreadable(name, *other, true, err);
                }
                if (!capNoted && group.statedCount > kMaxImagesPerIcon) {
                    err << "pellimar-cli: note: " << name << ": " << groupText(group.identity)
                        << " states " << group.statedCount << " images; only the first "
                        << kMaxImagesPerIcon << " are read\n";
                    capNoted = true;
                }
            }
        }
        notesOf(*set, name, true, err);
    }
}

// A group's images as JSON. Eight bytes of each image tell a PNG: the images
// themselves are not read.
void appendImagesJson(std::string& text, const IconGroup& group,
                      const std::vector<std::optional<bool>>& pngs) {
    text += ", \"images\": [";
    for (std::size_t j = 0; j < group.images.size(); ++j) {
        const StoredImage& image = group.images[j];
        text += j ? ", {\"width\": " : "{\"width\": ";
        appendNumber(text, std::uint64_t(image.width()));
        text += ", \"height\": ";
        appendNumber(text, std::uint64_t(image.height()));
        text += ", \"depth\": ";
        appendNumber(text, std::uint64_t(image.depth));
        if (group.identity.kind == ResourceKind::Cursor) {
            text += ", \"hotspot\": [";
            appendNumber(text, image.hotspotX);
            text += ", ";
            appendNumber(text, image.hotspotY);
            text += "]";
        }
        if (const std::optional<bool>& png = pngs[j]) {
            text += *png ? ", \"png\": true, \"offset\": " : ", \"png\": false, \"offset\": ";
            appendNumber(text, image.offset);
            text += ", \"bytes\": ";
            appendNumber(text, image.length);
            text += "}";
        } else {
            text += ", \"png\": null, \"offset\": null, \"bytes\": null";
            if (image.failure) text += ", \"error\": " + jsonString(image.failure->message());
            text += "}";
        }
    }
    text += "]";
}

// The "version" member of a file in list --json: the version resource's
// language and the strings of kVersionKeys (null where it lacks them), with why
// parts of it could not be read; null when the file has none. What cannot be
// read is also told on standard error.
std::string versionJson(const IconSet* set, const std::string& name, std::ostream& err) {
    if (!set) return ", \"version\": null";
    const auto info = readVersionInfo(*set);
    if (!info) {
        const std::string reason = info.failure().message();
        err << "pellimar-cli: note: " << name << ": version resource: " << reason << "\n";
        return ", \"version\": {\"error\": " + jsonString(reason) + "}";
    }
    if (!info->has_value()) return ", \"version\": null";
    const VersionInfo& version = **info;
    std::string text = ", \"version\": {\"language\": ";
    if (version.tables.empty()) {
        text += "null, \"code_page\": null";
    } else {
        const VersionStrings& table = version.tables.front();
        text += "{\"id\": " + std::to_string(table.language) + ", \"tag\": ";
        const auto tag = languageTag(table.language);
        text += (tag ? jsonString(*tag) : std::string("null")) + "}";
        text += ", \"code_page\": " + std::to_string(table.codePage);
    }
    static constexpr const char* kMembers[] = {"product_name", "file_description", "company_name",
                                               "file_version", "product_version"};
    static_assert(std::size(kMembers) == kVersionKeys.size());
    for (std::size_t i = 0; i < kVersionKeys.size(); ++i) {
        const std::string* value = version.value(kVersionKeys[i]);
        text += std::string(", \"") + kMembers[i] + "\": " + (value ? jsonString(*value) : "null");
    }
    text += ", \"notes\": [";
    const char* sep = "";
    for (const Failure& note : version.notes) {
        err << "pellimar-cli: note: " << name << ": version resource: " << note.message() << "\n";
        text += sep + jsonString(note.message());
        sep = ", ";
    }
    return text + "]}";
}

void listAsJson(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    out << "{\"files\": [";
    const char* fileSep = "\n  ";
    for (const std::string& operand : files) {
        const std::string name = inputName(operand);
        out << fileSep << "{" << jsonNameMembers("file", name);
        fileSep = ",\n  ";
        auto set = openInput(operand);
        if (!set && set.failure().fault == Fault::NotIconContainer && !set.failure().what.empty())
            err << "pellimar-cli: note: " << name << ": " << set.failure().what << "\n";
        if (!set && set.failure().fault != Fault::NotIconContainer) {
            const std::string reason = reasonOf(set.failure());
            err << "pellimar-cli: cannot read " << name << ": " << reason << "\n";
            out << ", \"readable\": false, \"error\": " << jsonString(reason)
                << ", \"icons\": [], \"cursors\": [], \"version\": null}";
            status = 1;
            continue;
        }
        out << ", \"readable\": true";
        for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
            out << (kind == ResourceKind::Icon ? ", \"icons\": [" : ", \"cursors\": [");
            const int count = set ? int(set->groups(kind).size()) : 0;
            auto languages = set ? languagesByPosition(*set, kind)
                                 : std::map<int, std::vector<const IconGroup*>>();
            int i = 0;
            for (; i < count; ++i) {
                const IconGroup& group = set->groups(kind)[std::size_t(i)];
                // The same bound as the text listing: a file cannot make the output endless.
                if (group.pastImagesCap()) {
                    noteListingCap(name, *set, i, err);
                    break;
                }
                noteUnreadable(name, group, false, err);
                // Built as text first: a stream insertion per field would cost more than
                // the reading itself.
                std::string text = i ? ",\n    {\"index\": " : "\n    {\"index\": ";
                appendNumber(text, std::uint64_t(i));
                text += identityJson(group.identity);
                if (group.failure) text += ", \"error\": " + jsonString(group.failure->message());
                appendImagesJson(text, group, set->pngImages(kind, i));
                text += ", \"other_languages\": [";
                const char* sep = "";
                for (const IconGroup* other : languages[i]) {
                    text += sep;
                    sep = ", ";
                    noteUnreadable(name, *other, true, err);
                    text += "{" + identityJson(other->identity).substr(2);
                    if (other->failure)
                        text += ", \"error\": " + jsonString(other->failure->message());
                    std::vector<std::optional<bool>> pngs;
                    for (const StoredImage& image : other->images)
                        pngs.push_back(set->isPng(image));
                    appendImagesJson(text, *other, pngs);
                    text += "}";
                }
                text += "]}";
                out << text;
            }
            out << (i > 0 ? "\n  ]" : "]");
        }
        out << versionJson(set ? &*set : nullptr, name, err) << "}";
        if (set) notesOf(*set, name, false, err);
    }
    out << (files.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace

int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    if (auto done = readCommandLine(args, {{"json", 'j', false}}, kListCommand, out, err, parsed))
        return *done;
    if (parsed.operands.empty()) return usageError(kListCommand, "no FILE given", err);
    int status = 0;
    if (parsed.has("json"))
        listAsJson(parsed.operands, out, err, status);
    else
        listAsText(parsed.operands, out, err, status);
    return status;
}

int draw(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    if (auto done = readCommandLine(args, {}, kDrawCommand, out, err, parsed)) return *done;
    const auto& ops = parsed.operands;
    if (ops.size() != 4)
        return usageError(kDrawCommand, "FILE, INDEX, SIZE and OUT.bmp are needed", err);
    const std::optional<int> index = parseNumber(ops[1], 0, 0x7FFFFFFF);
    if (!index) return usageError(kDrawCommand, "INDEX must be a number from 0", err);
    const std::optional<int> size = parseNumber(ops[2], 1, kMaxDrawSize);
    if (!size) return usageError(kDrawCommand, "SIZE must be a number from 1 to 1024", err);
    if (ops[3].empty()) return usageError(kDrawCommand, "OUT.bmp is empty", err);

    const std::string name = inputName(ops[0]);
    auto set = openInput(ops[0]);
    if (!set) {
        err << "pellimar-cli: cannot read " << name << ": " << reasonOf(set.failure()) << "\n";
        return 1;
    }
    if (*index >= set->iconCount()) {
        err << "pellimar-cli: " << name << " has no icon " << *index << "\n";
        return 1;
    }
    const Result<Icon> icon = iconAtSize(*set, *index, *size);
    if (!icon) {
        err << "pellimar-cli: " << name << ": icon " << *index << ": " << icon.failure().message()
            << "\n";
        return 1;
    }
    const Result<OutputFile> bmp = bmpFile(drawnOnWhite(*icon, *size, *size));
    if (ops[3] == "-") {
        if (!bmp) {
            err << "pellimar-cli: " << name << ": icon " << *index << ": "
                << bmp.failure().message() << "\n";
            return 1;
        }
        for (const ByteSpan& piece : bmp->pieces())
            out.write(reinterpret_cast<const char*>(piece.data()), std::streamsize(piece.size()));
        out.flush();
        if (!out) {
            err << "pellimar-cli: cannot write to standard output\n";
            return 1;
        }
        return 0;
    }
    const Result<Placed> written = bmp ? writeOutput(ops[3], *bmp) : bmp.failure();
    if (!written) {
        err << "pellimar-cli: cannot write " << ops[3] << ": "
            << writeFailureReason(written.failure()) << "\n";
        return 1;
    }
    return 0;
}

}  // namespace pellimar::cli
