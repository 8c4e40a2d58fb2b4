/*
 * A program built against the installed library as any other is, with
 * `cc library_client.c $(pkg-config --cflags --libs pellimar)`: it names the
 * library's version, counts the icons of FILE and writes its first icon as an
 * icon file to OUT.ico.
 *
 *   library_client FILE OUT.ico
 */
#include <pellimar.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    pellimar_file* file = NULL;
    pellimar_failure* why = NULL;
    uint8_t* ico = NULL;
    size_t size = 0;
    if (argc != 3) return 2;
    if (strcmp(pellimar_version(), PELLIMAR_VERSION_STRING) != 0 ||
        pellimar_abi_version() != PELLIMAR_ABI_VERSION) {
        fprintf(stderr, "built against %s, running %s\n", PELLIMAR_VERSION_STRING,
                pellimar_version());
        return 1;
    }
    if (pellimar_open_path(argv[1], 0, &file, &why) != PELLIMAR_OK ||
        pellimar_group_to_file(pellimar_file_group(file, PELLIMAR_ICON, 0), &ico, &size, &why) !=
            PELLIMAR_OK ||
        pellimar_write_file(argv[2], ico, size, 0, NULL, &why) != PELLIMAR_OK) {
        fprintf(stderr, "%s: %s\n", argv[1], why ? pellimar_failure_message(why) : "no icon");
        pellimar_failure_free(why);
        pellimar_free(ico);
        pellimar_close(file);
        return 1;
    }
    printf("libpellimar %s: %u icons\n", pellimar_version(),
           (unsigned)pellimar_file_group_count(file, PELLIMAR_ICON));
    pellimar_free(ico);
    pellimar_close(file);
    return 0;
}
