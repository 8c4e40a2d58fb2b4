/*
 * Different handles on different threads at once: each thread opens the same
 * file by a handle of its own, lists it, makes its icon files, pictures and
 * thumbnail and writes files through a batch of its own, and every thread's
 * bytes must be those one thread made alone. Built with ThreadSanitizer, which
 * reports any data race between them.
 *
 *   threads_test FILE SCRATCH
 */
#define _POSIX_C_SOURCE 200809L

#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "pellimar.h"

enum { kThreads = 4, kRounds = 3 };

static const char *file_path, *scratch;

/* Everything one pass makes of the file, as one digest of its bytes. */
typedef struct {
    unsigned long long sum;
    size_t bytes;
    int failures;
} digest;

static void take(digest* d, const uint8_t* data, size_t size) {
    size_t i;
    for (i = 0; i < size; ++i) d->sum = d->sum * 1099511628211ull + data[i];
    d->bytes += size;
}

static void pass(digest* d, int thread) {
    pellimar_file* file = NULL;
    pellimar_write_batch* batch = NULL;
    pellimar_output_folder* folder = NULL;
    char name[64], dir[4096];
    int32_t kind;
    if (pellimar_open_path(file_path, 0, &file, NULL) != PELLIMAR_OK) {
        ++d->failures;
        return;
    }
    snprintf(dir, sizeof dir, "%s/thread-%d", scratch, thread);
    if (pellimar_output_folder_open(dir, PELLIMAR_FOLDER_CREATE, &folder, NULL) != PELLIMAR_OK ||
        pellimar_write_batch_open(&batch, NULL) != PELLIMAR_OK)
        ++d->failures;
    for (kind = PELLIMAR_ICON; kind <= PELLIMAR_CURSOR; ++kind) {
        uint32_t i, j;
        for (i = 0; i < pellimar_file_group_count(file, kind); ++i) {
            pellimar_group* g = pellimar_file_group(file, kind, i);
            uint8_t* data = NULL;
            size_t size = 0;
            pellimar_picture* picture = NULL;
            if (pellimar_group_to_file(g, &data, &size, NULL) == PELLIMAR_OK) {
                take(d, data, size);
                snprintf(name, sizeof name, "%d-%u.ico", (int)kind, (unsigned)i);
                if (pellimar_output_folder_write(folder, name, data, size, 0, NULL, NULL) !=
                    PELLIMAR_OK)
                    ++d->failures;
            }
            pellimar_free(data);
            for (j = 0; j < pellimar_group_image_count(g); ++j) {
                pellimar_image* image = pellimar_group_image(g, j);
                uint8_t* rgba = NULL;
                int32_t width = 0, height = 0;
                d->sum += (unsigned long long)pellimar_image_is_png(image) + 7u;
                if (pellimar_image_rgba(image, &width, &height, &rgba, &size, NULL) == PELLIMAR_OK)
                    take(d, rgba, size);
                pellimar_free(rgba);
            }
            if (pellimar_group_picture_at_size(g, 40, PELLIMAR_CHOOSE_LIKE_WINDOWS, &picture,
                                               NULL) == PELLIMAR_OK &&
                pellimar_picture_to_png(picture, &data, &size, NULL) == PELLIMAR_OK) {
                take(d, data, size);
                pellimar_free(data);
            }
            pellimar_picture_free(picture);
        }
    }
    {
        pellimar_picture* thumbnail = NULL;
        uint8_t* data = NULL;
        size_t size = 0;
        if (pellimar_file_thumbnail(file, 64, &thumbnail, NULL) == PELLIMAR_OK &&
            pellimar_picture_to_png(thumbnail, &data, &size, NULL) == PELLIMAR_OK)
            take(d, data, size);
        pellimar_free(data);
        pellimar_picture_free(thumbnail);
    }
    if (pellimar_write_batch_commit(batch, NULL, NULL, NULL) != PELLIMAR_OK) ++d->failures;
    pellimar_write_batch_close(batch);
    pellimar_output_folder_close(folder);
    pellimar_close(file);
}

typedef struct {
    digest d;
    int thread;
} job;

static void* thread_main(void* arg) {
    job* j = arg;
    int round;
    for (round = 0; round < kRounds; ++round) pass(&j->d, j->thread);
    return NULL;
}

int main(int argc, char** argv) {
    digest alone = {0, 0, 0};
    job each[kThreads];
    pthread_t threads[kThreads];
    int i, failed = 0;
    if (argc != 3) {
        fprintf(stderr, "usage: threads_test FILE SCRATCH\n");
        return 2;
    }
    file_path = argv[1];
    scratch = argv[2];
    mkdir(scratch, 0777);
    for (i = 0; i < kRounds; ++i) pass(&alone, 0);
    if (alone.failures || alone.bytes == 0) {
        fprintf(stderr, "one thread alone: %d failures, %zu bytes\n", alone.failures, alone.bytes);
        return 1;
    }
    memset(each, 0, sizeof each);
    for (i = 0; i < kThreads; ++i) {
        each[i].thread = i + 1;
        if (pthread_create(&threads[i], NULL, thread_main, &each[i]) != 0) return 1;
    }
    for (i = 0; i < kThreads; ++i) pthread_join(threads[i], NULL);
    for (i = 0; i < kThreads; ++i)
        if (each[i].d.failures || each[i].d.sum != alone.sum || each[i].d.bytes != alone.bytes) {
            fprintf(stderr, "thread %d: %d failures, %zu bytes (alone: %zu)\n", i,
                    each[i].d.failures, each[i].d.bytes, alone.bytes);
            failed = 1;
        }
    return failed;
}
