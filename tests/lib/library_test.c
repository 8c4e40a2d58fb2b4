/*
 * The C library as a C program uses it: the files write_library_fixtures made,
 * opened by path, from memory (borrowed and copied) and from descriptors (a file
 * and a pipe), listed and extracted, each compared byte for byte with what
 * pellimar-cli and pellimar-thumbnailer make of the same file; the failures of a
 * missing file, a file of no Windows kind, a cut-off one and a damaged image with
 * their codes and reasons; the writer's rules; the folder walk.
 *
 *   library_test FIXTURES PELLIMAR-CLI PELLIMAR-THUMBNAILER SCRATCH
 */
#define _POSIX_C_SOURCE 200809L

#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "pellimar.h"

static int failures;

#define CHECK(condition, ...)                                                       \
    do {                                                                            \
        if (!(condition)) {                                                         \
            ++failures;                                                             \
            fprintf(stderr, "%s:%d: failed: %s: ", __FILE__, __LINE__, #condition); \
            fprintf(stderr, __VA_ARGS__);                                           \
            fputc('\n', stderr);                                                    \
        }                                                                           \
    } while (0)

static const char *fixtures, *cli, *thumbnailer, *scratch;

/* ---- Small tools ------------------------------------------------------------ */

typedef struct {
    char* data;
    size_t size, room;
} text;

static void add(text* t, const char* format, ...) {
    va_list args;
    for (;;) {
        size_t left = t->room - t->size;
        int n;
        va_start(args, format);
        n = vsnprintf(t->data ? t->data + t->size : NULL, t->data ? left : 0, format, args);
        va_end(args);
        if (t->data && (size_t)n < left) {
            t->size += (size_t)n;
            return;
        }
        t->room = t->room * 2 + (size_t)n + 64;
        t->data = realloc(t->data, t->room);
        if (!t->data) abort();
    }
}

static char* path_of(const char* folder, const char* name) {
    text t = {0};
    add(&t, "%s/%s", folder, name);
    return t.data;
}

static unsigned char* read_file(const char* path, size_t* size) {
    FILE* f = fopen(path, "rb");
    unsigned char* data = NULL;
    size_t room = 0;
    *size = 0;
    if (!f) return NULL;
    for (;;) {
        size_t n;
        if (*size == room) {
            room = room * 2 + 4096;
            data = realloc(data, room);
            if (!data) abort();
        }
        n = fread(data + *size, 1, room - *size, f);
        if (n == 0) break;
        *size += n;
    }
    fclose(f);
    return data;
}

/* What a command writes to its standard output (with its errors when `both`). */
static char* run(const char* command, int both, int* status) {
    text t = {0};
    text out = {0};
    FILE* p;
    char buffer[4096];
    size_t n;
    add(&t, "%s%s", command, both ? " 2>&1" : " 2>/dev/null");
    p = popen(t.data, "r");
    free(t.data);
    add(&out, "%s", "");
    if (!p) return out.data;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) add(&out, "%.*s", (int)n, buffer);
    n = (size_t)pclose(p);
    if (status) *status = WIFEXITED((int)n) ? WEXITSTATUS((int)n) : -1;
    return out.data;
}

static void same_bytes(const char* what, const unsigned char* a, size_t a_size, const char* file) {
    size_t size = 0;
    unsigned char* b = read_file(file, &size);
    CHECK(b != NULL, "%s: %s was not written", what, file);
    if (b)
        CHECK(size == a_size && memcmp(a, b, size) == 0,
              "%s: %s differs (%zu bytes, the "
              "library made %zu)",
              what, file, size, a_size);
    free(b);
}

/* ---- The listing, as list --json writes it --------------------------------- */

static void json_string(text* t, const char* s) {
    add(t, "\"");
    for (; *s; ++s) {
        unsigned char c = (unsigned char)*s;
        if (c == '"' || c == '\\')
            add(t, "\\%c", c);
        else if (c == '\n')
            add(t, "\\n");
        else if (c < 0x20 || c == 0x7F)
            add(t, "\\u%04x", c);
        else
            add(t, "%c", c);
    }
    add(t, "\"");
}

static void identity_json(text* t, const pellimar_group* g) {
    uint32_t id;
    uint16_t language;
    add(t, "\"kind\": \"%s\"", pellimar_group_kind(g) == PELLIMAR_ICON ? "icon" : "cursor");
    if (pellimar_group_id(g, &id)) add(t, ", \"id\": %u", (unsigned)id);
    if (pellimar_group_name(g)) {
        add(t, ", \"name\": ");
        json_string(t, pellimar_group_name(g));
    }
    if (!pellimar_group_language(g, &language)) {
        add(t, ", \"language\": null");
    } else {
        const char* tag = pellimar_language_tag(language);
        add(t, ", \"language\": {\"id\": %u, \"tag\": ", (unsigned)language);
        if (tag)
            json_string(t, tag);
        else
            add(t, "null");
        add(t, "}");
    }
    if (pellimar_group_failure(g)) {
        add(t, ", \"error\": ");
        json_string(t, pellimar_failure_message(pellimar_group_failure(g)));
    }
}

static void images_json(text* t, pellimar_group* g) {
    uint32_t j;
    add(t, ", \"images\": [");
    for (j = 0; j < pellimar_group_image_count(g); ++j) {
        pellimar_image* image = pellimar_group_image(g, j);
        int32_t png = pellimar_image_is_png(image);
        add(t, "%s{\"width\": %d, \"height\": %d, \"depth\": %d", j ? ", " : "",
            (int)pellimar_image_width(image), (int)pellimar_image_height(image),
            (int)pellimar_image_depth(image));
        if (pellimar_group_kind(g) == PELLIMAR_CURSOR)
            add(t, ", \"hotspot\": [%u, %u]", (unsigned)pellimar_image_hotspot_x(image),
                (unsigned)pellimar_image_hotspot_y(image));
        if (png >= 0) {
            add(t, ", \"png\": %s, \"offset\": %llu, \"bytes\": %llu}", png ? "true" : "false",
                (unsigned long long)pellimar_image_offset(image),
                (unsigned long long)pellimar_image_length(image));
        } else {
            add(t, ", \"png\": null, \"offset\": null, \"bytes\": null");
            if (pellimar_image_failure(image)) {
                add(t, ", \"error\": ");
                json_string(t, pellimar_failure_message(pellimar_image_failure(image)));
            }
            add(t, "}");
        }
    }
    add(t, "]");
}

/* The "version" member of pellimar-cli's listing, made here from the library's
 * version functions. */
static void version_json(text* t, pellimar_file* file) {
    static const char* const members[][2] = {{"product_name", "ProductName"},
                                             {"file_description", "FileDescription"},
                                             {"company_name", "CompanyName"},
                                             {"file_version", "FileVersion"},
                                             {"product_version", "ProductVersion"}};
    pellimar_version_info* info = NULL;
    pellimar_failure* why = NULL;
    uint16_t language, code_page;
    uint32_t i;
    if (pellimar_file_version(file, 0, &info, &why) != PELLIMAR_OK) {
        add(t, ", \"version\": {\"error\": ");
        json_string(t, pellimar_failure_message(why));
        add(t, "}");
        pellimar_failure_free(why);
        return;
    }
    if (!info) {
        add(t, ", \"version\": null");
        return;
    }
    add(t, ", \"version\": {\"language\": ");
    if (pellimar_version_language(info, &language, &code_page)) {
        const char* tag = pellimar_language_tag(language);
        add(t, "{\"id\": %u, \"tag\": ", (unsigned)language);
        if (tag)
            json_string(t, tag);
        else
            add(t, "null");
        add(t, "}, \"code_page\": %u", (unsigned)code_page);
    } else {
        add(t, "null, \"code_page\": null");
    }
    for (i = 0; i < sizeof members / sizeof *members; ++i) {
        const char* value = pellimar_version_value(info, members[i][1]);
        add(t, ", \"%s\": ", members[i][0]);
        if (value)
            json_string(t, value);
        else
            add(t, "null");
    }
    add(t, ", \"notes\": [");
    for (i = 0; i < pellimar_version_note_count(info); ++i) {
        add(t, i ? ", " : "");
        json_string(t, pellimar_failure_message(pellimar_version_note(info, i)));
    }
    add(t, "]}");
    pellimar_version_info_free(info);
}

static char* listing(pellimar_file* file, const char* name) {
    text t = {0};
    int32_t kind;
    add(&t, "{\"files\": [\n  {\"file\": ");
    json_string(&t, name);
    add(&t, ", \"readable\": true");
    for (kind = PELLIMAR_ICON; kind <= PELLIMAR_CURSOR; ++kind) {
        uint32_t i, count = pellimar_file_group_count(file, kind);
        add(&t, kind == PELLIMAR_ICON ? ", \"icons\": [" : ", \"cursors\": [");
        for (i = 0; i < count; ++i) {
            pellimar_group* g = pellimar_file_group(file, kind, i);
            uint32_t l;
            CHECK(!pellimar_group_past_images_cap(g), "%s: a group past the images cap", name);
            CHECK(pellimar_group_position(g) == i, "%s: group %u has position %u", name, i,
                  pellimar_group_position(g));
            add(&t, "%s    {\"index\": %u, ", i ? ",\n" : "\n", (unsigned)i);
            identity_json(&t, g);
            images_json(&t, g);
            add(&t, ", \"other_languages\": [");
            for (l = 0; l < pellimar_group_language_count(g); ++l) {
                pellimar_group* other = pellimar_group_language_at(g, l);
                CHECK(
                    pellimar_group_is_other_language(other) && pellimar_group_position(other) == i,
                    "%s: a further language of group %u is told as %u", name, i,
                    pellimar_group_position(other));
                add(&t, "%s{", l ? ", " : "");
                identity_json(&t, other);
                images_json(&t, other);
                add(&t, "}");
            }
            add(&t, "]}");
        }
        add(&t, i > 0 ? "\n  ]" : "]");
    }
    version_json(&t, file);
    add(&t, "}\n]}\n");
    return t.data;
}

/* ---- Opening in every way ---------------------------------------------------- */

/* The file opened by path, from memory and from descriptors: each listing the
 * same as pellimar-cli's. */
static void test_opening(const char* name) {
    char* path = path_of(fixtures, name);
    text command = {0};
    char* expected;
    size_t size = 0;
    unsigned char* bytes = read_file(path, &size);
    pellimar_file* file = NULL;
    pellimar_failure* why = NULL;
    char* got;
    int fd, pipe_ends[2];
    pid_t child;

    add(&command, "'%s' list --json '%s'", cli, path);
    expected = run(command.data, 0, NULL);
    CHECK(bytes != NULL, "%s cannot be read", path);

    CHECK(pellimar_open_path(path, 0, &file, &why) == PELLIMAR_OK && why == NULL, "%s: %s", name,
          why ? pellimar_failure_message(why) : "");
    if (file) {
        got = listing(file, path);
        CHECK(strcmp(got, expected) == 0, "%s by path:\n%s\npellimar-cli:\n%s", name, got,
              expected);
        CHECK(pellimar_file_size(file) == size, "%s: size %llu", name,
              (unsigned long long)pellimar_file_size(file));
        free(got);
        pellimar_close(file);
    }

    /* Borrowed: the bytes stay until the file is closed. */
    file = NULL;
    CHECK(pellimar_open_buffer(bytes, size, 0, &file, NULL) == PELLIMAR_OK, "%s from memory", name);
    if (file) {
        got = listing(file, path);
        CHECK(strcmp(got, expected) == 0, "%s from borrowed memory:\n%s", name, got);
        free(got);
        pellimar_close(file);
    }

    /* Copied: the caller's bytes may go at once. */
    file = NULL;
    {
        unsigned char* copy = malloc(size);
        memcpy(copy, bytes, size);
        CHECK(pellimar_open_buffer(copy, size, PELLIMAR_OPEN_COPY, &file, NULL) == PELLIMAR_OK,
              "%s from copied memory", name);
        memset(copy, 0, size);
        free(copy);
    }
    if (file) {
        got = listing(file, path);
        CHECK(strcmp(got, expected) == 0, "%s from copied memory:\n%s", name, got);
        free(got);
        pellimar_close(file);
    }

    /* A descriptor onto the file: read through a duplicate, its offset kept. */
    file = NULL;
    fd = open(path, O_RDONLY);
    CHECK(lseek(fd, 5, SEEK_SET) == 5, "seek");
    CHECK(pellimar_open_fd(fd, 0, &file, NULL) == PELLIMAR_OK, "%s by descriptor", name);
    if (file) {
        got = listing(file, path);
        CHECK(strcmp(got, expected) == 0, "%s by descriptor:\n%s", name, got);
        free(got);
        /* Read through a duplicate: the caller's offset stays, and closing the
         * caller's descriptor leaves the file readable. */
        CHECK(lseek(fd, 0, SEEK_CUR) == 5, "%s: the descriptor's offset moved", name);
        close(fd);
        if (pellimar_file_group_count(file, PELLIMAR_ICON) > 0) {
            pellimar_file* by_path = NULL;
            uint8_t *a = NULL, *b = NULL;
            size_t a_size = 0, b_size = 0;
            pellimar_status a_status, b_status;
            pellimar_open_path(path, 0, &by_path, NULL);
            a_status = pellimar_group_to_file(pellimar_file_group(file, PELLIMAR_ICON, 0), &a,
                                              &a_size, NULL);
            b_status = pellimar_group_to_file(pellimar_file_group(by_path, PELLIMAR_ICON, 0), &b,
                                              &b_size, NULL);
            CHECK(a_status == b_status && a_size == b_size &&
                      (a_size == 0 || memcmp(a, b, a_size) == 0),
                  "%s: icon 0 read after the caller closed its descriptor", name);
            pellimar_free(a);
            pellimar_free(b);
            pellimar_close(by_path);
        }
        pellimar_close(file);
    } else {
        close(fd);
    }

    /* A pipe: read to its end. */
    file = NULL;
    CHECK(pipe(pipe_ends) == 0, "pipe");
    child = fork();
    if (child == 0) {
        size_t at = 0;
        close(pipe_ends[0]);
        while (at < size) {
            ssize_t n = write(pipe_ends[1], bytes + at, size - at);
            if (n <= 0) _exit(1);
            at += (size_t)n;
        }
        _exit(0);
    }
    close(pipe_ends[1]);
    CHECK(pellimar_open_fd(pipe_ends[0], 0, &file, NULL) == PELLIMAR_OK, "%s through a pipe", name);
    close(pipe_ends[0]);
    waitpid(child, NULL, 0);
    if (file) {
        got = listing(file, path);
        CHECK(strcmp(got, expected) == 0, "%s through a pipe:\n%s", name, got);
        free(got);
        pellimar_close(file);
    }

    free(command.data);
    free(expected);
    free(bytes);
    free(path);
}

/* ---- Extracting, as the programs do ------------------------------------------ */

static char* run_in(const char* folder, const char* options, const char* path) {
    text command = {0};
    char* out;
    int status = 0;
    add(&command, "rm -rf '%s' && '%s' extract %s -o '%s' '%s'", folder, cli, options, folder,
        path);
    out = run(command.data, 1, &status);
    free(command.data);
    return out;
}

static char* out_name(const char* folder, const char* base, pellimar_group* g, int with_language,
                      const char* rest) {
    text t = {0};
    uint16_t language;
    add(&t, "%s/%s-%s%u", folder, base, pellimar_group_kind(g) == PELLIMAR_CURSOR ? "cursor-" : "",
        (unsigned)pellimar_group_position(g));
    if (with_language && pellimar_group_language(g, &language)) {
        const char* tag = pellimar_language_tag(language);
        if (tag)
            add(&t, "-%s", tag);
        else
            add(&t, "-%u", (unsigned)language);
    }
    add(&t, "%s", rest);
    return t.data;
}

static void test_extracting(const char* name) {
    char* path = path_of(fixtures, name);
    char* folder = path_of(scratch, "extract");
    pellimar_file* file = NULL;
    int32_t kind;
    char* notes;
    if (pellimar_open_path(path, 0, &file, NULL) != PELLIMAR_OK) {
        CHECK(0, "%s cannot be opened", name);
        free(path);
        free(folder);
        return;
    }

    /* The groups as stored, every language of them. */
    notes = run_in(folder, "--all-languages", path);
    for (kind = PELLIMAR_ICON; kind <= PELLIMAR_CURSOR; ++kind) {
        uint32_t i;
        for (i = 0; i < pellimar_file_other_language_count(file, kind) +
                            pellimar_file_group_count(file, kind);
             ++i) {
            uint32_t first = pellimar_file_group_count(file, kind);
            pellimar_group* g = i < first ? pellimar_file_group(file, kind, i)
                                          : pellimar_file_other_language(file, kind, i - first);
            uint8_t* data = NULL;
            size_t size = 0;
            char* target = out_name(folder, name, g, 1, kind == PELLIMAR_ICON ? ".ico" : ".cur");
            if (pellimar_group_to_file(g, &data, &size, NULL) == PELLIMAR_OK)
                same_bytes("extract --all-languages", data, size, target);
            else
                CHECK(access(target, F_OK) != 0, "%s written, though the library fails it", target);
            pellimar_free(data);
            free(target);
        }
    }
    free(notes);

    /* A group none of whose images can be had: each image's failure, told as the
     * command line tells it. */
    notes = run_in(folder, "", path);
    for (kind = PELLIMAR_ICON; kind <= PELLIMAR_CURSOR; ++kind) {
        uint32_t i, j;
        for (i = 0; i < pellimar_file_group_count(file, kind); ++i) {
            pellimar_group* g = pellimar_file_group(file, kind, i);
            pellimar_group_load(g, NULL);
            if (pellimar_group_failure(g)) {
                text line = {0};
                add(&line, "pellimar-cli extract: %s: %s %u: %s\n", path,
                    kind == PELLIMAR_ICON ? "icon" : "cursor", (unsigned)i,
                    pellimar_failure_message(pellimar_group_failure(g)));
                CHECK(strstr(notes, line.data) != NULL, "not told: %spellimar-cli says:\n%s",
                      line.data, notes);
                free(line.data);
            }
            for (j = 0; j < pellimar_group_image_count(g); ++j) {
                const pellimar_failure* f = pellimar_image_failure(pellimar_group_image(g, j));
                text part = {0}, line = {0};
                pellimar_failure* within;
                if (!f) continue;
                add(&part, "image %u", (unsigned)j);
                within = pellimar_failure_within(f, part.data);
                add(&line, "pellimar-cli extract: %s: %s %u: %s\n", path,
                    kind == PELLIMAR_ICON ? "icon" : "cursor", (unsigned)i,
                    pellimar_failure_message(within));
                CHECK(strstr(notes, line.data) != NULL, "not told: %spellimar-cli says:\n%s",
                      line.data, notes);
                pellimar_failure_free(within);
                free(part.data);
                free(line.data);
            }
        }
    }
    free(notes);

    /* Each image as PNG. */
    notes = run_in(folder, "-f png", path);
    for (kind = PELLIMAR_ICON; kind <= PELLIMAR_CURSOR; ++kind) {
        uint32_t i, j;
        for (i = 0; i < pellimar_file_group_count(file, kind); ++i) {
            pellimar_group* g = pellimar_file_group(file, kind, i);
            for (j = 0; j < pellimar_group_image_count(g); ++j) {
                uint8_t* data = NULL;
                size_t size = 0;
                int32_t width = 0, height = 0, depth = 0;
                text rest = {0};
                char* target;
                pellimar_failure* why = NULL;
                if (pellimar_image_to_png(pellimar_group_image(g, j), &data, &size, &width, &height,
                                          &depth, &why) != PELLIMAR_OK) {
                    /* The same failure, in the same words. */
                    text line = {0};
                    add(&line, "pellimar-cli extract: %s: %s %u: image %u: %s\n", path,
                        kind == PELLIMAR_ICON ? "icon" : "cursor", (unsigned)i, (unsigned)j,
                        pellimar_failure_message(why));
                    CHECK(strstr(notes, line.data) != NULL,
                          "%s: image %u fails as \"%s\"; pellimar-cli says:\n%s", name, j,
                          pellimar_failure_message(why), notes);
                    pellimar_failure_free(why);
                    free(line.data);
                    continue;
                }
                add(&rest, "-%dx%d-%d.png", (int)width, (int)height, (int)depth);
                target = out_name(folder, name, g, 0, rest.data);
                same_bytes("extract -f png", data, size, target);
                pellimar_free(data);
                free(rest.data);
                free(target);
            }
        }
    }
    free(notes);

    /* Pictures at a size: PNG at 24, BMP at 48, JPEG at the default 32. */
    {
        const char* options[] = {"-f png -s 24", "-f bmp -s 48", "-f jpg"};
        const int sizes[] = {24, 48, 32};
        int o;
        for (o = 0; o < 3; ++o) {
            notes = run_in(folder, options[o], path);
            for (kind = PELLIMAR_ICON; kind <= PELLIMAR_CURSOR; ++kind) {
                uint32_t i;
                for (i = 0; i < pellimar_file_group_count(file, kind); ++i) {
                    pellimar_group* g = pellimar_file_group(file, kind, i);
                    pellimar_picture* picture = NULL;
                    pellimar_canvas* canvas = NULL;
                    uint8_t* data = NULL;
                    size_t size = 0;
                    text rest = {0};
                    char* target;
                    pellimar_failure* why = NULL;
                    if (pellimar_group_picture_at_size(g, sizes[o], PELLIMAR_CHOOSE_LIKE_WINDOWS,
                                                       &picture, &why) != PELLIMAR_OK) {
                        add(&rest, "pellimar-cli extract: %s: %s %u: %s\n", path,
                            kind == PELLIMAR_ICON ? "icon" : "cursor", (unsigned)i,
                            pellimar_failure_message(why));
                        CHECK(strstr(notes, rest.data) != NULL,
                              "not told: %spellimar-cli says:\n%s", rest.data, notes);
                        pellimar_failure_free(why);
                        free(rest.data);
                        continue;
                    }
                    if (o == 0) {
                        CHECK(pellimar_picture_to_png(picture, &data, &size, NULL) == PELLIMAR_OK,
                              "png");
                        add(&rest, "-24x24-%d.png", (int)pellimar_picture_bit_count(picture));
                    } else {
                        CHECK(pellimar_picture_draw_on_white(picture, sizes[o], sizes[o], &canvas,
                                                             NULL) == PELLIMAR_OK,
                              "canvas");
                        CHECK((o == 1 ? pellimar_canvas_to_bmp(canvas, &data, &size, NULL)
                                      : pellimar_canvas_to_jpeg(canvas, &data, &size, NULL)) ==
                                  PELLIMAR_OK,
                              "encoding");
                        add(&rest, o == 1 ? ".bmp" : ".jpg");
                    }
                    target = out_name(folder, name, g, 0, rest.data);
                    same_bytes(options[o], data, size, target);
                    pellimar_free(data);
                    pellimar_canvas_free(canvas);
                    pellimar_picture_free(picture);
                    free(rest.data);
                    free(target);
                }
            }
            free(notes);
        }
    }

    /* draw, and the thumbnailer: the same bytes, or the same failure. */
    if (pellimar_file_group_count(file, PELLIMAR_ICON) > 0) {
        char* drawn = path_of(scratch, "drawn.bmp");
        char* thumb = path_of(scratch, "thumbnail.png");
        text command = {0}, line = {0};
        pellimar_picture* picture = NULL;
        pellimar_canvas* canvas = NULL;
        pellimar_failure* why = NULL;
        uint8_t* data = NULL;
        size_t size = 0;
        char* said;
        add(&command, "rm -f '%s' && '%s' draw '%s' 0 40 '%s'", drawn, cli, path, drawn);
        said = run(command.data, 1, NULL);
        if (pellimar_group_picture_at_size(pellimar_file_group(file, PELLIMAR_ICON, 0), 40,
                                           PELLIMAR_CHOOSE_LIKE_WINDOWS, &picture,
                                           &why) == PELLIMAR_OK) {
            pellimar_picture_draw_on_white(picture, 40, 40, &canvas, NULL);
            pellimar_canvas_to_bmp(canvas, &data, &size, NULL);
            same_bytes("draw", data, size, drawn);
        } else {
            add(&line, "pellimar-cli: %s: icon 0: %s\n", path, pellimar_failure_message(why));
            CHECK(strcmp(said, line.data) == 0, "draw: %s, and the library: %s", said, line.data);
        }
        free(said);
        pellimar_free(data);
        pellimar_canvas_free(canvas);
        pellimar_picture_free(picture);
        pellimar_failure_free(why);
        free(command.data);
        free(line.data);
        memset(&command, 0, sizeof command);
        memset(&line, 0, sizeof line);
        picture = NULL;
        why = NULL;
        data = NULL;

        add(&command, "rm -f '%s' && '%s' -s 64 '%s' '%s'", thumb, thumbnailer, path, thumb);
        said = run(command.data, 1, NULL);
        if (pellimar_file_thumbnail(file, 64, &picture, &why) == PELLIMAR_OK) {
            CHECK(pellimar_picture_to_png(picture, &data, &size, NULL) == PELLIMAR_OK, "png");
            same_bytes("pellimar-thumbnailer", data, size, thumb);
        } else {
            add(&line, "pellimar-thumbnailer: %s: %s\n", path, pellimar_failure_message(why));
            CHECK(strcmp(said, line.data) == 0, "the thumbnailer: %s, and the library: %s", said,
                  line.data);
        }
        free(said);
        pellimar_free(data);
        pellimar_picture_free(picture);
        pellimar_failure_free(why);
        free(command.data);
        free(line.data);
        free(drawn);
        free(thumb);
    }
    pellimar_close(file);
    free(path);
    free(folder);
}

/* ---- Failures --------------------------------------------------------------- */

static void test_failures(void) {
    pellimar_file* file = NULL;
    pellimar_failure* why = NULL;
    char* missing = path_of(fixtures, "no-such-file.dll");
    char* notes = path_of(fixtures, "notes.txt");
    char* cut = path_of(fixtures, "cut.dll");
    text command = {0};
    text line = {0};
    char* said;
    uint32_t i, j, cut_off = 0;

    CHECK(pellimar_open_path(missing, 0, &file, &why) == PELLIMAR_CANNOT_OPEN && !file,
          "a missing file");
    CHECK(why && pellimar_failure_code(why) == PELLIMAR_CANNOT_OPEN &&
              pellimar_failure_errno(why) == ENOENT,
          "a missing file's reason");
    CHECK(strcmp(pellimar_failure_message(why), "cannot open: No such file or directory") == 0,
          "%s", pellimar_failure_message(why));
    add(&command, "'%s' list '%s'", cli, missing);
    said = run(command.data, 1, NULL);
    add(&line, "pellimar-cli: cannot read %s: %s\n", missing,
        strerror(pellimar_failure_errno(why)));
    CHECK(strstr(said, line.data) != NULL, "pellimar-cli says:\n%s", said);
    free(said);
    pellimar_failure_free(why);

    why = NULL;
    CHECK(pellimar_open_path(notes, 0, &file, &why) == PELLIMAR_NOT_ICON_CONTAINER && !file,
          "a file of no Windows kind");
    CHECK(strcmp(pellimar_failure_message(why),
                 "not a Windows program, library, icon or cursor file") == 0,
          "%s", pellimar_failure_message(why));
    CHECK(strcmp(pellimar_status_name(pellimar_failure_code(why)), "not_icon_container") == 0,
          "the code's name");
    pellimar_failure_free(why);

    /* Cut off part way: it opens, and what is missing says where it is cut. */
    why = NULL;
    CHECK(pellimar_open_path(cut, 0, &file, &why) == PELLIMAR_OK, "the cut-off library: %s",
          why ? pellimar_failure_message(why) : "");
    pellimar_failure_free(why);
    for (i = 0; file && i < pellimar_file_group_count(file, PELLIMAR_ICON); ++i) {
        pellimar_group* g = pellimar_file_group(file, PELLIMAR_ICON, i);
        const pellimar_failure* f = pellimar_group_failure(g);
        if (f && pellimar_failure_code(f) == PELLIMAR_CUT_OFF) ++cut_off;
        pellimar_group_load(g, NULL);
        for (j = 0; j < pellimar_group_image_count(g); ++j) {
            f = pellimar_image_failure(pellimar_group_image(g, j));
            if (f && pellimar_failure_code(f) == PELLIMAR_CUT_OFF) {
                ++cut_off;
                CHECK(pellimar_failure_offset(f) != PELLIMAR_NO_OFFSET ||
                          strstr(pellimar_failure_message(f), "cut off") != NULL,
                      "a cut-off image says where: %s", pellimar_failure_message(f));
            }
        }
    }
    for (i = 0; file && i < pellimar_file_note_count(file); ++i)
        if (pellimar_failure_code(pellimar_file_note(file, i)) == PELLIMAR_CUT_OFF) ++cut_off;
    CHECK(cut_off > 0, "nothing of the cut-off library is told as cut off");
    if (file && pellimar_file_group_count(file, PELLIMAR_ICON) > 0) {
        uint8_t* data = NULL;
        size_t size = 0;
        pellimar_group* g = pellimar_file_group(file, PELLIMAR_ICON, 0);
        why = NULL;
        if (pellimar_group_to_file(g, &data, &size, &why) != PELLIMAR_OK) {
            CHECK(why != NULL && pellimar_failure_message(why)[0] != '\0',
                  "a group that cannot be written says why");
            CHECK(data == NULL, "bytes handed out with a failure");
        }
        pellimar_free(data);
        pellimar_failure_free(why);
    }
    pellimar_close(file);

    /* A descriptor onto a folder or a device is no file, and nothing is read
     * from it. */
    {
        const char* not_files[] = {"/dev/zero", "."};
        size_t k;
        for (k = 0; k < 2; ++k) {
            int fd = open(not_files[k], O_RDONLY);
            file = NULL;
            CHECK(pellimar_open_fd(fd, 0, &file, NULL) == PELLIMAR_NOT_REGULAR_FILE && !file,
                  "%s by descriptor", not_files[k]);
            close(fd);
        }
    }

    /* Bad arguments are told, never taken. */
    why = NULL;
    file = NULL;
    CHECK(pellimar_open_path(NULL, 0, &file, &why) == PELLIMAR_INVALID_ARGUMENT && why != NULL,
          "no path");
    pellimar_failure_free(why);
    CHECK(pellimar_open_path(cut, 0x80, &file, NULL) == PELLIMAR_INVALID_ARGUMENT && !file,
          "an unknown flag");

    free(command.data);
    free(line.data);
    free(missing);
    free(notes);
    free(cut);
}

/* ---- The writer ---------------------------------------------------------------- */

static int outcomes_told;
static int tell_outcome(const char* path, int32_t placed, const pellimar_failure* failure,
                        void* user) {
    (void)user;
    CHECK(placed == PELLIMAR_PLACED_WRITTEN && failure == NULL, "%s: %d %s", path, (int)placed,
          failure ? pellimar_failure_message(failure) : "");
    ++outcomes_told;
    return 0;
}

static void test_writing(void) {
    char* folder = path_of(scratch, "written");
    char* target = path_of(folder, "deep/file.bin");
    char* link = path_of(scratch, "link.png");
    text command = {0};
    pellimar_failure* why = NULL;
    pellimar_output_folder* out = NULL;
    pellimar_write_batch *batch = NULL, *second = NULL;
    int32_t placed = -1;
    size_t size = 0;
    unsigned char* back;
    static const char first[] = "first", later[] = "later";

    add(&command, "rm -rf '%s' '%s'", folder, link);
    free(run(command.data, 1, NULL));

    CHECK(pellimar_write_file(target, first, 5, PELLIMAR_WRITE_SCRATCH, &placed, &why) ==
              PELLIMAR_WRITE_FAILED,
          "a file in a missing folder");
    CHECK(why && pellimar_failure_errno(why) == ENOENT, "why: %s",
          why ? pellimar_failure_message(why) : "");
    pellimar_failure_free(why);
    CHECK(pellimar_write_file(target, first, 5,
                              PELLIMAR_WRITE_SCRATCH | PELLIMAR_WRITE_CREATE_FOLDERS, &placed,
                              NULL) == PELLIMAR_OK &&
              placed == PELLIMAR_PLACED_WRITTEN,
          "a file and its folders");
    CHECK(pellimar_write_file(target, later, 5, PELLIMAR_WRITE_NO_REPLACE, &placed, NULL) ==
                  PELLIMAR_OK &&
              placed == PELLIMAR_PLACED_KEPT,
          "never replace");
    back = read_file(target, &size);
    CHECK(back && size == 5 && memcmp(back, first, 5) == 0, "the file kept was changed");
    free(back);

    /* In place, never through a link. */
    CHECK(symlink(target, link) == 0, "symlink");
    why = NULL;
    CHECK(pellimar_write_file_in_place(link, later, 5, &why) == PELLIMAR_LINK_AT_NAME,
          "in place through a link");
    CHECK(why && pellimar_failure_is_write(why), "a write's failure");
    pellimar_failure_free(why);

    /* An output folder, and a batch. */
    CHECK(pellimar_output_folder_open(folder, 0, &out, NULL) == PELLIMAR_OK, "the folder");
    CHECK(pellimar_write_batch_open(&batch, NULL) == PELLIMAR_OK, "a batch");
    CHECK(pellimar_write_batch_open(&second, NULL) == PELLIMAR_INVALID_ARGUMENT && !second,
          "a second batch on one thread");
    CHECK(pellimar_output_folder_write(out, "batched.bin", later, 5, 0, &placed, NULL) ==
                  PELLIMAR_OK &&
              placed == PELLIMAR_PLACED_PENDING,
          "a synced write in a batch waits");
    why = NULL;
    CHECK(pellimar_output_folder_write(out, "deep/x.bin", later, 5, 0, &placed, &why) ==
              PELLIMAR_NO_FILE_NAME,
          "a name with a folder in it");
    pellimar_failure_free(why);
    CHECK(pellimar_write_batch_commit(batch, tell_outcome, NULL, NULL) == PELLIMAR_OK &&
              outcomes_told == 1,
          "the batch's outcome");
    pellimar_write_batch_close(batch);
    {
        char* batched = path_of(folder, "batched.bin");
        back = read_file(batched, &size);
        free(batched);
    }
    CHECK(back && size == 5 && memcmp(back, later, 5) == 0, "the batched file");
    free(back);
    CHECK(pellimar_output_folder_remove_stale(out) == 0, "nothing stale");
    pellimar_output_folder_close(out);

    free(command.data);
    free(folder);
    free(target);
    free(link);
}

/* ---- The walk ----------------------------------------------------------------------- */

static int found_count, skipped_links;
static int on_found(const char* path, void* user) {
    (void)user;
    (void)path;
    return ++found_count == *(int*)user;
}
static void on_skipped(const char* path, int32_t skip, int32_t error, const char* reason,
                       void* user) {
    (void)user;
    (void)error;
    CHECK(skip == PELLIMAR_SKIP_LINK && strcmp(reason, "a link to a folder: not followed") == 0,
          "%s: %d %s", path, (int)skip, reason);
    ++skipped_links;
}

static void test_walking(void) {
    char* tree = path_of(scratch, "tree");
    text command = {0};
    int stop_at = 0;
    add(&command,
        "rm -rf '%s' && mkdir -p '%s/sub' && touch '%s/a.DLL' '%s/b.ico' '%s/c.txt' "
        "'%s/sub/d.exe' && ln -s sub '%s/link'",
        tree, tree, tree, tree, tree, tree, tree);
    free(run(command.data, 1, NULL));
    CHECK(pellimar_walk_folder(
              tree,
              PELLIMAR_WALK_EXE | PELLIMAR_WALK_DLL | PELLIMAR_WALK_ICO | PELLIMAR_WALK_RECURSIVE,
              on_found, on_skipped, &stop_at, NULL) == PELLIMAR_OK,
          "the walk");
    CHECK(found_count == 3 && skipped_links == 1, "found %d, %d links left out", found_count,
          skipped_links);
    found_count = 0;
    CHECK(pellimar_walk_folder(tree, PELLIMAR_WALK_ANY_NAME, on_found, NULL, &stop_at, NULL) ==
                  PELLIMAR_OK &&
              found_count == 3,
          "one folder, every name: %d", found_count);
    found_count = 0;
    stop_at = 1;
    CHECK(pellimar_walk_folder(tree, PELLIMAR_WALK_ANY_NAME, on_found, NULL, &stop_at, NULL) ==
              PELLIMAR_STOPPED,
          "a walk stopped");
    free(command.data);
    free(tree);
}

/* ---- The rest ------------------------------------------------------------------------- */

static void test_small_things(void) {
    uint16_t language = 0;
    pellimar_failure* why = NULL;
    CHECK(strcmp(pellimar_version(), PELLIMAR_VERSION_STRING) == 0, "%s", pellimar_version());
    CHECK(pellimar_abi_version() == PELLIMAR_ABI_VERSION, "the ABI");
    CHECK(strcmp(pellimar_language_tag(1031), "de-DE") == 0, "a tag");
    CHECK(pellimar_language_tag(0) == NULL, "no tag for neutral");
    CHECK(pellimar_language_parse("DE-de", &language) && language == 1031, "a tag read");
    CHECK(pellimar_language_parse("0x409", &language) && language == 1033, "a number read");
    CHECK(!pellimar_language_parse("klingon", &language), "no language");
    CHECK(pellimar_language_matches("de-DE", 1031) && !pellimar_language_matches("1031", 1033),
          "matching");

    CHECK(
        pellimar_output_cap(0) == (256ull << 20) && pellimar_output_cap(16ull << 20) == 1ull << 30,
        "the output cap");
    CHECK(pellimar_output_fits(100, 60, 40, NULL) == PELLIMAR_OK, "a file that fits");
    CHECK(pellimar_output_fits(pellimar_output_cap(0), 1, pellimar_output_cap(0), &why) ==
              PELLIMAR_CAP_REACHED,
          "a file that does not fit");
    CHECK(why && pellimar_failure_cap(why) == PELLIMAR_CAP_OUTPUT_BYTES &&
              strcmp(pellimar_failure_message(why),
                     "stopped at a limit: at most 256 MB (256 MB, or 64 times the file's size "
                     "when that is more)") == 0,
          "%s", why ? pellimar_failure_message(why) : "");
    pellimar_failure_free(why);

    CHECK(
        pellimar_pixel_budget(0) == 128000000ull && pellimar_pixel_budget(10000000) == 160000000ull,
        "the budget of pixels");
    why = pellimar_failure_new(PELLIMAR_CAP_REACHED, PELLIMAR_CAP_PIXELS_PER_INPUT,
                               "128 million pixels decoded and made of one input",
                               PELLIMAR_NO_OFFSET, 0);
    CHECK(why && pellimar_failure_cap(why) == PELLIMAR_CAP_PIXELS_PER_INPUT &&
              strcmp(pellimar_failure_message(why),
                     "stopped at a limit: 128 million pixels decoded and made of one input") == 0,
          "%s", why ? pellimar_failure_message(why) : "");
    pellimar_failure_free(why);

    why = pellimar_failure_new(PELLIMAR_NO_SUCH_ICON, 0, "icon in it", PELLIMAR_NO_OFFSET, 0);
    CHECK(why && strcmp(pellimar_failure_message(why), "no icon in it") == 0, "a made failure");
    {
        pellimar_failure* within = pellimar_failure_within(why, "icon 0");
        pellimar_failure* copy = pellimar_failure_copy(within);
        CHECK(copy && strcmp(pellimar_failure_message(copy), "icon 0: no icon in it") == 0, "%s",
              copy ? pellimar_failure_message(copy) : "");
        pellimar_failure_free(within);
        pellimar_failure_free(copy);
    }
    pellimar_failure_free(why);
    pellimar_failure_free(NULL);
    pellimar_close(NULL);
    pellimar_picture_free(NULL);
}

/* ---- The version resource ---------------------------------------------------- */

static pellimar_version_info* version_of(const char* name, uint32_t flags) {
    char* path = path_of(fixtures, name);
    pellimar_file* file = NULL;
    pellimar_version_info* info = NULL;
    pellimar_failure* why = NULL;
    CHECK(pellimar_open_path(path, 0, &file, NULL) == PELLIMAR_OK, "%s", name);
    CHECK(pellimar_file_version(file, flags, &info, &why) == PELLIMAR_OK && why == NULL, "%s: %s",
          name, why ? pellimar_failure_message(why) : "");
    pellimar_failure_free(why);
    /* The strings are the version's own: they outlive the file. */
    pellimar_close(file);
    free(path);
    return info;
}

static int same(const char* a, const char* b) {
    return a && b && strcmp(a, b) == 0;
}

/* The first language is the first Translation names that the file holds; every
 * table with PELLIMAR_VERSION_ALL_LANGUAGES; the strings beyond the five; an NE
 * file's 8-bit texts as UTF-8; a damaged table left out with a note; nothing for
 * a file without a version resource; the arguments refused. */
static void test_version(void) {
    pellimar_version_info* info = version_of("version.dll", 0);
    uint16_t language = 0, code_page = 0;
    pellimar_file* file = NULL;
    pellimar_failure* why = NULL;
    char* path = path_of(fixtures, "version.dll");
    CHECK(info && pellimar_version_table_count(info) == 1, "one table of the first language");
    CHECK(pellimar_version_language(info, &language, &code_page) && language == 0x0407 &&
              code_page == 1200,
          "first language %04x %u", language, code_page);
    CHECK(same(pellimar_version_value(info, "ProductName"), "Beispiel-Minensucher"), "its name");
    CHECK(pellimar_version_value(info, "FileVersion") == NULL, "the other table's string");
    CHECK(pellimar_version_value(info, "productname") == NULL, "keys compared exactly");
    CHECK(pellimar_version_translation_count(info) == 2 &&
              pellimar_version_translation(info, 1, &language, &code_page) && language == 0x0409 &&
              !pellimar_version_translation(info, 2, &language, NULL),
          "Translation");
    pellimar_version_info_free(info);

    info = version_of("version.dll", PELLIMAR_VERSION_ALL_LANGUAGES);
    CHECK(info && pellimar_version_table_count(info) == 2, "every table");
    CHECK(pellimar_version_table_language(info, 0, &language, NULL) && language == 0x0409 &&
              !pellimar_version_table_language(info, 2, &language, NULL),
          "the file's order");
    CHECK(pellimar_version_string_count(info, 0) == 3 &&
              same(pellimar_version_string_key(info, 0, 2), "LegalCopyright") &&
              same(pellimar_version_string_value(info, 0, 2), "\xc2\xa9 Example") &&
              pellimar_version_string_key(info, 0, 3) == NULL,
          "the strings beyond the five");
    CHECK(same(pellimar_version_table_value(info, 0, "FileVersion"), "5.1.2600.0") &&
              same(pellimar_version_table_value(info, 1, "CompanyName"), "Beispiel") &&
              pellimar_version_table_value(info, 2, "CompanyName") == NULL,
          "a table's value");
    CHECK(pellimar_version_note_count(info) == 0, "no notes");
    pellimar_version_info_free(info);

    info = version_of("version16.dll", 0);
    CHECK(info && same(pellimar_version_value(info, "ProductName"), "\xc3\x84hnlich") &&
              pellimar_version_language(info, &language, &code_page) && code_page == 1252,
          "an NE file's, in its code page");
    pellimar_version_info_free(info);

    info = version_of("damaged-version.dll", PELLIMAR_VERSION_ALL_LANGUAGES);
    CHECK(info && pellimar_version_table_count(info) == 1 &&
              same(pellimar_version_value(info, "ProductName"), "Example Sweeper"),
          "the table before the damage kept");
    CHECK(pellimar_version_note_count(info) == 1 &&
              pellimar_failure_code(pellimar_version_note(info, 0)) == PELLIMAR_BAD_VALUE &&
              pellimar_version_note(info, 1) == NULL,
          "the damage told: %s",
          info && pellimar_version_note(info, 0)
              ? pellimar_failure_message(pellimar_version_note(info, 0))
              : "");
    pellimar_version_info_free(info);

    CHECK(version_of("library.dll", 0) == NULL, "a library without one");
    CHECK(version_of("icon.ico", PELLIMAR_VERSION_ALL_LANGUAGES) == NULL, "an icon file");

    CHECK(pellimar_open_path(path, 0, &file, NULL) == PELLIMAR_OK, "version.dll");
    free(path);
    info = (pellimar_version_info*)&file; /* set to NULL by a refusal */
    CHECK(pellimar_file_version(file, 2, &info, &why) == PELLIMAR_INVALID_ARGUMENT && !info &&
              why != NULL,
          "an unknown flag");
    pellimar_failure_free(why);
    CHECK(pellimar_file_version(NULL, 0, &info, NULL) == PELLIMAR_INVALID_ARGUMENT, "no file");
    CHECK(pellimar_file_version(file, 0, NULL, NULL) == PELLIMAR_INVALID_ARGUMENT, "no out");
    pellimar_close(file);
    CHECK(pellimar_version_table_count(NULL) == 0 &&
              pellimar_version_value(NULL, "ProductName") == NULL &&
              !pellimar_version_language(NULL, NULL, NULL),
          "NULL info");
    pellimar_version_info_free(NULL);
}

int main(int argc, char** argv) {
    const char* files[] = {"library.dll", "program64.exe", "library16.dll",      "icon.ico",
                           "pointer.cur", "cut.dll",       "overlong-image.dll", "damaged.ico",
                           "version.dll", "version16.dll", "damaged-version.dll"};
    size_t i;
    if (argc != 5) {
        fprintf(stderr, "usage: library_test FIXTURES PELLIMAR-CLI PELLIMAR-THUMBNAILER SCRATCH\n");
        return 2;
    }
    fixtures = argv[1];
    cli = argv[2];
    thumbnailer = argv[3];
    scratch = argv[4];
    mkdir(scratch, 0777);
    for (i = 0; i < sizeof files / sizeof *files; ++i) {
        test_opening(files[i]);
        test_extracting(files[i]);
    }
    test_failures();
    test_writing();
    test_walking();
    test_small_things();
    test_version();
    if (failures) fprintf(stderr, "%d checks failed\n", failures);
    return failures ? 1 : 0;
}
