#pragma once

#include <QByteArray>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

struct sqlite3;

namespace evapre {

// Checkpoints a database in WAL mode from a thread and a connection of its own, in place of
// the automatic checkpoint that runs inside a commit: the connection that commits goes on
// appending to the log while the pages are copied into the file and synced.
//
// A checkpoint beside the writer copies only what was committed when it began, and the log
// starts over only once everything in it is copied. So after each one the committing thread
// copies the little that came in meanwhile itself, and the log keeps to about its threshold.
// If the thread cannot checkpoint (another program's checkpoint holds the log), the commit
// does it at twice the threshold, as the library would.
class SqliteCheckpointer {
  public:
    // Frames in the log that start a checkpoint (64 MB of 4 KB pages): each checkpoint ends
    // with a sync of the file by the committing thread, so they are few.
    static constexpr int kFrames = 16384;

    // A checkpointer for the database of handle when it is a file in WAL mode, else none.
    static std::unique_ptr<SqliteCheckpointer> ForFile(sqlite3* handle);

    // Takes over the checkpoints of handle (its WAL hook) for the file at path, one when
    // the log holds `frames` frames.
    SqliteCheckpointer(sqlite3* handle, QByteArray path, int frames = kFrames);
    // Waits for a checkpoint under way and gives the checkpoints back to the library.
    ~SqliteCheckpointer();
    SqliteCheckpointer(const SqliteCheckpointer&) = delete;
    SqliteCheckpointer& operator=(const SqliteCheckpointer&) = delete;

  private:
    static int walHook(void* self, sqlite3* handle, const char* schema, int frames);
    void afterCommit(sqlite3* handle, int frames);
    void startThread();
    void run();
    // A passive checkpoint: the frames of the log now in the file, 0 when it could not run.
    static int checkpoint(sqlite3* handle);

    sqlite3* mHandle;
    QByteArray mPath;
    int mFrames;
    int mRemainder;  // what the committing thread copies itself after the thread's passes
    std::mutex mMutex;
    std::condition_variable mWake;
    bool mRequested = false;
    bool mWorking = false;
    bool mStop = false;
    bool mNoThread = false;  // no thread could be started
    // Frames copied by the thread's last checkpoint, 0 when none is to be completed.
    int mCopied = 0;
    std::thread mThread;
};

}  // namespace evapre
