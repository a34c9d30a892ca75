#pragma once

// Several writes to one file stored together or not at all.

namespace engine::detail {

struct Store;

// Outside a workspace transaction the step is a transaction of its own that takes the
// write lock before anything is read: a read lock cannot wait to become a write lock when
// another process wants the file too. Inside one it is a savepoint.
class WriteStep {
public:
    explicit WriteStep(Store& store); // joins the workspace transaction first
    ~WriteStep();                     // undoes the step unless done
    WriteStep(const WriteStep&) = delete;
    WriteStep& operator=(const WriteStep&) = delete;

    void done(); // stores the step; on failure it stays open, to be undone
    void undo();

private:
    Store& store_;
    bool own_;
    bool open_ = true;
};

} // namespace engine::detail
