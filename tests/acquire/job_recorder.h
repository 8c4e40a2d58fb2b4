// Runs a RowJob on the test's thread, as the window does, and records what it
// reports: "clear" for Clear All, "name#n" for each row, in the order they came.
#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <string>
#include <vector>

#include "acquire/background_rows.h"

namespace pellimar::test {

struct JobRecorder {
    std::vector<std::string> events;
    std::vector<PreparedRow> rows;
    std::vector<WorkProgress> progress;
    int batches = 0;
    int finished = 0;

    explicit JobRecorder(RowJob& job) {
        QObject::connect(&job, &RowJob::cleared, &job, [this] { events.push_back("clear"); });
        QObject::connect(&job, &RowJob::rowsArrived, &job,
                         [this](const std::vector<PreparedRow>& batch) {
                             ++batches;
                             for (const PreparedRow& row : batch) {
                                 events.push_back(row.source.filename().string() + "#" +
                                                  std::to_string(row.iconPosition));
                                 rows.push_back(row);
                             }
                         });
        QObject::connect(&job, &RowJob::progressed, &job,
                         [this, &job] { progress.push_back(job.progress()); });
        QObject::connect(&job, &RowJob::finished, &job, [this] { ++finished; });
    }

    // Starts the job and runs the event loop until it has finished; false when it
    // did not within `timeoutMs`.
    bool run(RowJob& job, int timeoutMs = 20000) {
        QSignalSpy spy(&job, &RowJob::finished);
        job.start();
        return spy.wait(timeoutMs) && !job.running();
    }
};

}  // namespace pellimar::test
