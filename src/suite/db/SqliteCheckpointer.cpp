#include "SqliteCheckpointer.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <system_error>

namespace evapre {

namespace {

// Passes of the thread over the log before it hands the rest over.
constexpr int kPasses = 4;

}  // namespace

std::unique_ptr<SqliteCheckpointer> SqliteCheckpointer::ForFile(sqlite3* handle) {
    const char* path = sqlite3_db_filename(handle, "main");
    if (!path || !*path)
        return nullptr;  // in memory, or a temporary database
    sqlite3_stmt* mode = nullptr;
    bool wal = false;
    if (sqlite3_prepare_v2(handle, "PRAGMA journal_mode", -1, &mode, nullptr) == SQLITE_OK &&
        sqlite3_step(mode) == SQLITE_ROW) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(mode, 0));
        wal = text && sqlite3_stricmp(text, "wal") == 0;
    }
    sqlite3_finalize(mode);
    return wal ? std::make_unique<SqliteCheckpointer>(handle, QByteArray(path)) : nullptr;
}

SqliteCheckpointer::SqliteCheckpointer(sqlite3* handle, QByteArray path, int frames)
    : mHandle(handle),
      mPath(std::move(path)),
      mFrames(std::max(1, frames)),
      mRemainder(std::max(1, mFrames / 4)) {
    sqlite3_wal_hook(mHandle, &SqliteCheckpointer::walHook, this);
}

SqliteCheckpointer::~SqliteCheckpointer() {
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mWake.notify_all();
    if (mThread.joinable())
        mThread.join();
    // Back to the library's own checkpoints (this also replaces the hook).
    sqlite3_wal_autocheckpoint(mHandle, mFrames);
}

int SqliteCheckpointer::walHook(void* self, sqlite3* handle, const char* schema, int frames) {
    if (schema && std::strcmp(schema, "main") == 0)
        static_cast<SqliteCheckpointer*>(self)->afterCommit(handle, frames);
    return SQLITE_OK;
}

int SqliteCheckpointer::checkpoint(sqlite3* handle) {
    int log = 0, copied = 0;
    // Busy (another checkpoint holds the log) or failed: the next commit asks again.
    if (sqlite3_wal_checkpoint_v2(handle, "main", SQLITE_CHECKPOINT_PASSIVE, &log, &copied) !=
        SQLITE_OK)
        return 0;
    return copied;
}

void SqliteCheckpointer::afterCommit(sqlite3* handle, int frames) {
    bool copyHere = false;
    bool wake = false;
    {
        std::lock_guard lock(mMutex);
        if (!mWorking && mCopied > 0) {
            // The log started over (everything was copied) or only the latest commits are
            // left: those are copied here, so that the next transaction starts it over.
            copyHere = frames > mCopied && frames - mCopied <= mRemainder;
            if (frames <= mCopied || copyHere)
                mCopied = 0;
        }
        // Past twice the threshold the thread is behind (it cannot open the file, or a reader
        // holds the log back): the commit copies it, as the library would, and the thread is
        // not asked to compete for it.
        const bool behind = frames >= (mNoThread ? 1 : 2) * mFrames;
        if (!copyHere && !behind && !mWorking && !mRequested && frames >= mFrames) {
            mRequested = wake = true;
            if (!mThread.joinable())
                startThread();
        }
        copyHere = copyHere || behind;
    }
    if (wake)
        mWake.notify_one();
    if (copyHere)
        checkpoint(handle);
}

void SqliteCheckpointer::startThread() {
    // Called inside the library's commit: nothing may be thrown through it. Without a thread
    // the commits checkpoint at the threshold, as the library would.
    try {
        mThread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        mRequested = false;
        mNoThread = true;
    }
}

void SqliteCheckpointer::run() {
    sqlite3* own = nullptr;
    // A read opens the log: until then the connection does not know the file is in WAL mode.
    if (sqlite3_open_v2(mPath.constData(), &own, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK ||
        sqlite3_busy_timeout(own, 1000) != SQLITE_OK ||
        sqlite3_exec(own, "PRAGMA synchronous=NORMAL; SELECT count(*) FROM sqlite_master", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(own);
        own = nullptr;
    }
    std::unique_lock lock(mMutex);
    while (true) {
        mWake.wait(lock, [this] { return mStop || mRequested; });
        if (mStop)
            break;
        mRequested = false;
        if (!own)
            continue;
        mWorking = true;
        lock.unlock();
        // Again while the commits of the pass before were many: the fewer are left, the less
        // the committing thread copies (and syncs) itself.
        // (A log started over meanwhile shows as fewer frames copied than before.)
        int copied = 0;
        for (int pass = 0, before = 0; pass < kPasses; ++pass, before = copied) {
            copied = checkpoint(own);
            if (copied <= 0 || copied - before < mRemainder / 8)
                break;
        }
        lock.lock();
        mWorking = false;
        mCopied = copied;
    }
    lock.unlock();
    sqlite3_close(own);
}

}  // namespace evapre
