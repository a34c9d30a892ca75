#pragma once

// The transaction of an operation of this area over the files it holds.

namespace clearing {

// Commits on commit(); rolls back otherwise, so an operation that stops leaves every file
// it wrote as it was.
class WorkspaceTransaction {
public:
    WorkspaceTransaction();
    ~WorkspaceTransaction();
    WorkspaceTransaction(const WorkspaceTransaction&) = delete;
    WorkspaceTransaction& operator=(const WorkspaceTransaction&) = delete;
    void commit();

private:
    bool open_ = true;
};

} // namespace clearing
