#pragma once

#include <functional>

namespace korv::test {

// Runs `body` in a forked child, for what must not touch the test process (resource
// limits, dropped privileges). Returns the child's exit status, `body`'s result, or -1
// when it did not exit normally.
int RunInChild(const std::function<int()>& body);

// What RunInChild returns when BecomeAnOrdinaryUser could not give up root.
inline constexpr int kCannotDropPrivileges = 77;

// In a forked child only: the superuser writes read-only files all the same, so it
// becomes uid and gid 65534, or ends with kCannotDropPrivileges. Others stay as they are.
void BecomeAnOrdinaryUser();

}  // namespace korv::test
