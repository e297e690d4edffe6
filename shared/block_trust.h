// Whose touchpad block a program of the suite may use.
//
// Any local user may create a segment under the block's key, and a process
// that attached a segment keeps its mapping, writable, whatever later happens
// to the segment's owner or mode. So a program uses the block only when both
// the user who created it (which nobody can change) and the user it belongs
// to (which its owner or creator may set to anyone) are the program's own
// user, root (the touchpad driver's block is root's, whatever its mode), or,
// for vorellpad, the user it was told to serve.
#pragma once

#include <sys/ipc.h>
#include <sys/types.h>

#include <cstddef>

// No user besides the program's own and root.
constexpr uid_t kNoServedUser = static_cast<uid_t>(-1);

bool block_trusted(const struct ipc_perm &perm, uid_t served = kNoServedUser);

// Neither the group nor others may write it. (A process that attached a
// segment keeps its mapping through any later change of mode, so a block
// that was ever open stays suspect.)
bool block_closed_to_others(const struct ipc_perm &perm);

// The user a refusal names: the creator when it is not trusted, else the owner.
uid_t block_stranger(const struct ipc_perm &perm, uid_t served = kNoServedUser);

// "NAME (uid N)", or "uid N" for a uid without a name.
void describe_user(uid_t uid, char *out, size_t cap);

// The refusal of every program that attaches the block, on standard error:
// whose block it is and what to do about it.
void say_block_untrusted(const struct ipc_perm &perm);
