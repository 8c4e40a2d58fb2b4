#include "cli/icons_cli.h"

#include <charconv>
#include <optional>
#include <utility>

#include "cli/input.h"
#include "cli/json_text.h"
#include "cli/resource_choice.h"

namespace pellimar::cli {

namespace {

constexpr int kMaxDrawSize = 1024;

// The note a listing gives where the images of one file pass what is read.
void noteListingCap(const std::string& name, const pellimar_file* file, int index,
                    std::ostream& err) {
    err << "pellimar-cli: note: " << name << ": the listing stops after "
        << PELLIMAR_MAX_IMAGES_PER_FILE << " images, before icon " << index << " of "
        << pellimar_file_group_count(file, PELLIMAR_ICON) << "\n";
}

// Why a listed group, or what its directory names, cannot be read: one note a
// group, for its directory or the first of its images that cannot be had, with
// how many more of them cannot. `withLanguage` for a further language.
void noteUnreadable(const std::string& name, pellimar_group* group, bool withLanguage,
                    std::ostream& err) {
    const pellimar_failure* groupFailure = pellimar_group_failure(group);
    FailureHandle why(groupFailure ? pellimar_failure_copy(groupFailure) : nullptr);
    bool failed = groupFailure != nullptr;
    std::size_t more = 0;
    const std::uint32_t count = pellimar_group_image_count(group);
    for (std::uint32_t j = 0; !groupFailure && j < count; ++j) {
        const pellimar_failure* image = pellimar_image_failure(pellimar_group_image(group, j));
        if (!image) continue;
        if (failed) {
            ++more;
        } else {
            failed = true;
            why.reset(pellimar_failure_within(image, ("image " + std::to_string(j)).c_str()));
        }
    }
    if (!failed) return;
    err << "pellimar-cli: note: " << name << ": "
        << messageWithin(why.get(), groupText(group, withLanguage));
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
void notesOf(const pellimar_file* file, const std::string& name, bool groupCapNamed,
             std::ostream& err) {
    const std::uint32_t count = pellimar_file_note_count(file);
    for (std::uint32_t i = 0; i < count; ++i) {
        const pellimar_failure* note = pellimar_file_note(file, i);
        const int32_t cap = pellimar_failure_cap(note);
        if (cap == PELLIMAR_CAP_IMAGES_PER_FILE) continue;
        if (cap == PELLIMAR_CAP_IMAGES_PER_GROUP && groupCapNamed) continue;
        err << "pellimar-cli: note: " << name << ": " << messageOf(note) << "\n";
    }
}

// The images of a group as list prints them: WIDTHxHEIGHT@BITS, and for a cursor
// its hotspot after it (+X+Y).
std::string imagesText(pellimar_group* group) {
    std::string text;
    const bool cursor = pellimar_group_kind(group) == PELLIMAR_CURSOR;
    const std::uint32_t count = pellimar_group_image_count(group);
    for (std::uint32_t j = 0; j < count; ++j) {
        const pellimar_image* image = pellimar_group_image(group, j);
        text += " " + std::to_string(pellimar_image_width(image)) + "x" +
                std::to_string(pellimar_image_height(image)) + "@" +
                std::to_string(pellimar_image_depth(image));
        if (cursor)
            text += "+" + std::to_string(pellimar_image_hotspot_x(image)) + "+" +
                    std::to_string(pellimar_image_hotspot_y(image));
    }
    return text;
}

// A group's line: its position, its ID or name and language when it has them,
// its images. `lead` comes first: "" for an icon, "cursor " for a cursor, and a
// "+" before either for a further language of the group above.
void groupLine(std::ostream& out, const std::string& lead, pellimar_group* group) {
    const std::string identity = identityText(group);
    out << lead << pellimar_group_position(group) << (identity.empty() ? "" : " ") << identity
        << imagesText(group) << "\n";
}

// The further languages of a group that its file read, in the file's order.
std::vector<pellimar_group*> languagesOf(pellimar_group* group) {
    std::vector<pellimar_group*> out;
    const std::uint32_t count = pellimar_group_language_count(group);
    for (std::uint32_t v = 0; v < count; ++v) {
        pellimar_group* other = pellimar_group_language_at(group, v);
        if (!pellimar_group_past_images_cap(other)) out.push_back(other);
    }
    return out;
}

void listAsText(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    for (const std::string& operand : files) {
        const std::string name = inputName(operand);
        const OpenedInput in = openInput(operand);
        if (!in) {
            // A file of no kind read is one that cannot be read: it does not look
            // like a program without icons.
            err << "pellimar-cli: cannot read " << name << ": " << reasonOf(in.failure()) << "\n";
            status = 1;
            out << quotedName(name) << ": 0\n";
            continue;
        }
        pellimar_file* file = in.file.get();
        out << quotedName(name) << ": " << pellimar_file_group_count(file, PELLIMAR_ICON) << "\n";
        bool capNoted = false;
        for (const int32_t kind : {PELLIMAR_ICON, PELLIMAR_CURSOR}) {
            const std::string lead = kind == PELLIMAR_ICON ? "" : "cursor ";
            const std::uint32_t count = pellimar_file_group_count(file, kind);
            for (std::uint32_t i = 0; i < count; ++i) {
                pellimar_group* group = pellimar_file_group(file, kind, i);
                if (pellimar_group_past_images_cap(group)) {
                    noteListingCap(name, file, int(i), err);
                    break;
                }
                groupLine(out, lead, group);
                noteUnreadable(name, group, false, err);
                for (pellimar_group* other : languagesOf(group)) {
                    groupLine(out, "+" + lead, other);
                    noteUnreadable(name, other, true, err);
                }
                if (!capNoted &&
                    pellimar_group_stated_count(group) > PELLIMAR_MAX_IMAGES_PER_GROUP) {
                    err << "pellimar-cli: note: " << name << ": " << groupText(group) << " states "
                        << pellimar_group_stated_count(group) << " images; only the first "
                        << PELLIMAR_MAX_IMAGES_PER_GROUP << " are read\n";
                    capNoted = true;
                }
            }
        }
        notesOf(file, name, true, err);
    }
}

// A group's images as JSON. Eight bytes of each image tell a PNG: the images
// themselves are not read.
void appendImagesJson(std::string& text, pellimar_group* group) {
    const bool cursor = pellimar_group_kind(group) == PELLIMAR_CURSOR;
    text += ", \"images\": [";
    const std::uint32_t count = pellimar_group_image_count(group);
    for (std::uint32_t j = 0; j < count; ++j) {
        pellimar_image* image = pellimar_group_image(group, j);
        text += j ? ", {\"width\": " : "{\"width\": ";
        appendNumber(text, std::uint64_t(pellimar_image_width(image)));
        text += ", \"height\": ";
        appendNumber(text, std::uint64_t(pellimar_image_height(image)));
        text += ", \"depth\": ";
        appendNumber(text, std::uint64_t(pellimar_image_depth(image)));
        if (cursor) {
            text += ", \"hotspot\": [";
            appendNumber(text, pellimar_image_hotspot_x(image));
            text += ", ";
            appendNumber(text, pellimar_image_hotspot_y(image));
            text += "]";
        }
        if (const int32_t png = pellimar_image_is_png(image); png >= 0) {
            text += png ? ", \"png\": true, \"offset\": " : ", \"png\": false, \"offset\": ";
            appendNumber(text, pellimar_image_offset(image));
            text += ", \"bytes\": ";
            appendNumber(text, pellimar_image_length(image));
            text += "}";
        } else {
            text += ", \"png\": null, \"offset\": null, \"bytes\": null";
            if (const pellimar_failure* why = pellimar_image_failure(image))
                text += ", \"error\": " + jsonString(messageOf(why));
            text += "}";
        }
    }
    text += "]";
}

// The "version" member of a file in list --json: the version resource's
// language and the strings a launcher shows (null where it lacks them), with why
// parts of it could not be read; null when the file has none. What cannot be
// read is also told on standard error.
std::string versionJson(pellimar_file* file, const std::string& name, std::ostream& err) {
    if (!file) return ", \"version\": null";
    pellimar_version_info* read = nullptr;
    pellimar_failure* why = nullptr;
    if (pellimar_file_version(file, 0, &read, &why) != PELLIMAR_OK) {
        const FailureHandle failure(why);
        const std::string reason = messageOf(why);
        err << "pellimar-cli: note: " << name << ": version resource: " << reason << "\n";
        return ", \"version\": {\"error\": " + jsonString(reason) + "}";
    }
    if (!read) return ", \"version\": null";
    const VersionHandle version(read);
    std::string text = ", \"version\": {\"language\": ";
    std::uint16_t language = 0, codePage = 0;
    if (!pellimar_version_language(read, &language, &codePage)) {
        text += "null, \"code_page\": null";
    } else {
        text += "{\"id\": " + std::to_string(language) + ", \"tag\": ";
        const char* tag = pellimar_language_tag(language);
        text += (tag ? jsonString(tag) : std::string("null")) + "}";
        text += ", \"code_page\": " + std::to_string(codePage);
    }
    static constexpr std::pair<const char*, const char*> kMembers[] = {
        {"product_name", "ProductName"},
        {"file_description", "FileDescription"},
        {"company_name", "CompanyName"},
        {"file_version", "FileVersion"},
        {"product_version", "ProductVersion"}};
    for (const auto& [member, key] : kMembers) {
        const char* value = pellimar_version_value(read, key);
        text += std::string(", \"") + member + "\": " + (value ? jsonString(value) : "null");
    }
    text += ", \"notes\": [";
    const char* sep = "";
    for (std::uint32_t i = 0; i < pellimar_version_note_count(read); ++i) {
        const std::string note = messageOf(pellimar_version_note(read, i));
        err << "pellimar-cli: note: " << name << ": version resource: " << note << "\n";
        text += sep + jsonString(note);
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
        const OpenedInput in = openInput(operand);
        if (!in) {
            const std::string reason = reasonOf(in.failure());
            err << "pellimar-cli: cannot read " << name << ": " << reason << "\n";
            out << ", \"readable\": false, \"error\": " << jsonString(reason)
                << ", \"icons\": [], \"cursors\": [], \"version\": null}";
            status = 1;
            continue;
        }
        pellimar_file* file = in.file.get();
        out << ", \"readable\": true";
        for (const int32_t kind : {PELLIMAR_ICON, PELLIMAR_CURSOR}) {
            out << (kind == PELLIMAR_ICON ? ", \"icons\": [" : ", \"cursors\": [");
            const int count = int(pellimar_file_group_count(file, kind));
            int i = 0;
            for (; i < count; ++i) {
                pellimar_group* group = pellimar_file_group(file, kind, std::uint32_t(i));
                // The same bound as the text listing: a file cannot make the output endless.
                if (pellimar_group_past_images_cap(group)) {
                    noteListingCap(name, file, i, err);
                    break;
                }
                noteUnreadable(name, group, false, err);
                // Built as text first: a stream insertion per field would cost more than
                // the reading itself.
                std::string text = i ? ",\n    {\"index\": " : "\n    {\"index\": ";
                appendNumber(text, std::uint64_t(i));
                text += identityJson(group);
                if (const pellimar_failure* why = pellimar_group_failure(group))
                    text += ", \"error\": " + jsonString(messageOf(why));
                appendImagesJson(text, group);
                text += ", \"other_languages\": [";
                const char* sep = "";
                for (pellimar_group* other : languagesOf(group)) {
                    text += sep;
                    sep = ", ";
                    noteUnreadable(name, other, true, err);
                    text += "{" + identityJson(other).substr(2);
                    if (const pellimar_failure* why = pellimar_group_failure(other))
                        text += ", \"error\": " + jsonString(messageOf(why));
                    appendImagesJson(text, other);
                    text += "}";
                }
                text += "]}";
                out << text;
            }
            out << (i > 0 ? "\n  ]" : "]");
        }
        out << versionJson(file, name, err) << "}";
        notesOf(file, name, false, err);
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
    if (ops[3] == "-" && isTerminalOutput(out)) {
        err << "pellimar-cli: " << kTerminalOutputRefused << "\n";
        return 1;
    }

    const std::string name = inputName(ops[0]);
    const OpenedInput in = openInput(ops[0]);
    if (!in) {
        err << "pellimar-cli: cannot read " << name << ": " << reasonOf(in.failure()) << "\n";
        return 1;
    }
    pellimar_file* file = in.file.get();
    if (std::uint32_t(*index) >= pellimar_file_group_count(file, PELLIMAR_ICON)) {
        err << "pellimar-cli: " << name << " has no icon " << *index << "\n";
        return 1;
    }
    pellimar_failure* why = nullptr;
    pellimar_picture* made = nullptr;
    Outcome drawn = outcomeOf(pellimar_group_picture_at_size(
                                  pellimar_file_group(file, PELLIMAR_ICON, std::uint32_t(*index)),
                                  *size, PELLIMAR_CHOOSE_LIKE_WINDOWS, &made, &why),
                              why);
    if (!drawn) {
        err << "pellimar-cli: " << name << ": icon " << *index << ": " << messageOf(drawn.failure())
            << "\n";
        return 1;
    }
    const PictureHandle icon(made);
    Bytes bmp;
    Outcome encoded = onWhite(icon.get(), *size, false, bmp);
    if (ops[3] == "-") {
        if (!encoded) {
            err << "pellimar-cli: " << name << ": icon " << *index << ": "
                << messageOf(encoded.failure()) << "\n";
            return 1;
        }
        out.write(reinterpret_cast<const char*>(bmp.data.get()), std::streamsize(bmp.size));
        out.flush();
        if (!out) {
            err << "pellimar-cli: cannot write to standard output\n";
            return 1;
        }
        return 0;
    }
    if (encoded)
        encoded = outcomeOf(
            pellimar_write_file(ops[3].c_str(), bmp.data.get(), bmp.size, 0, nullptr, &why), why);
    if (!encoded) {
        err << "pellimar-cli: cannot write " << ops[3] << ": " << writeReasonOf(encoded.failure())
            << "\n";
        return 1;
    }
    return 0;
}

}  // namespace pellimar::cli
