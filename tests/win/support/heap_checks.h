#pragma once
// The test program's own operator new and delete, and what tests learn from
// them: whether an object was deleted, and whether a deleted object was used.
//
// FreedMemoryGuard catches the use of objects after they were deleted.
//
// While a guard lives, every object made with new (on any thread) gets pages
// of its own, and deleting it makes those pages inaccessible instead of
// freeing them. Any later read or write of a deleted object faults; the
// fault is counted, the pages are opened again and the program runs on, so
// the test fails with a count instead of a crash:
//
//     FreedMemoryGuard guard;
//     ... code that may delete an object still in use ...
//     EXPECT_EQ(guard.Violations(), 0);
//
// Objects made before the guard are freed as usual; objects made while it
// lived stay guarded when they are deleted later. One guard at a time.
#include <windows.h>

class FreedMemoryGuard {
public:
    FreedMemoryGuard();
    ~FreedMemoryGuard();
    FreedMemoryGuard(const FreedMemoryGuard&) = delete;
    FreedMemoryGuard& operator=(const FreedMemoryGuard&) = delete;

    // Accesses to deleted objects seen so far (each object's pages count once).
    int Violations() const;
    // The address of the first such access, for the failure message.
    const void* FirstViolation() const;
};

// Tells whether one object is deleted while the watch lives.
class DeletionWatch {
public:
    explicit DeletionWatch(const void* pObject);
    ~DeletionWatch();
    DeletionWatch(const DeletionWatch&) = delete;
    DeletionWatch& operator=(const DeletionWatch&) = delete;

    bool Deleted() const;
};
