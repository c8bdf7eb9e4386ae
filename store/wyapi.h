// The configuration store as programs call it: named nodes holding named text
// attributes. Implemented by libwyapi.so.1 (C linkage).
//
// Limits (a call beyond them fails, nothing is cut or mangled):
//   node and attribute names: 1 to WYAPI_NAME_MAX characters of [A-Za-z0-9_],
//   the first a letter;
//   values: 0 to WYAPI_VALUE_MAX bytes of any byte but NUL. "N/A" and "" are
//   ordinary values; callers give them the meaning "not set".
//   the store file: at most 8 MiB; a larger one counts as unreadable.
//
// Not thread-safe: each process is one thread. Processes may use the store at
// once: every set and unset is atomic and durable on its own.
#ifndef WY_STORE_WYAPI_H
#define WY_STORE_WYAPI_H

#include <stddef.h>

#define WYAPI_NAME_MAX 63
#define WYAPI_VALUE_MAX 1023
// Smallest buffer wyapi_get may fill: the longest value, or a failure text, and NUL.
#define WYAPI_BUF_SIZE (WYAPI_VALUE_MAX + 1)

// Failure texts wyapi_get leaves in the buffer.
#define WYAPI_NO_NODE "no node information"
#define WYAPI_NO_ATTR "no attribute information"

// Results of wyapi_get, wyapi_set and wyapi_unset.
#define WYAPI_OK 0
#define WYAPI_ERR_NODE 1    // node missing, or its name is outside the limits
#define WYAPI_ERR_ATTR 2    // attribute missing, or its name is outside the limits
#define WYAPI_ERR_VALUE 3   // value longer than WYAPI_VALUE_MAX
#define WYAPI_ERR_STORE (-1) // store file unreadable, unparsable or not writable

#ifdef __cplusplus
extern "C" {
#endif

// Copies the value of `attr` of `node` into `buf`, which must hold
// WYAPI_BUF_SIZE bytes; programs call store_get (store.h) instead. Returns
// WYAPI_OK; WYAPI_ERR_NODE with WYAPI_NO_NODE in buf for a missing node;
// WYAPI_ERR_ATTR with WYAPI_NO_ATTR in buf for a missing attribute;
// WYAPI_ERR_STORE with WYAPI_NO_NODE in buf when the store file cannot be read
// or holds no ROM text; WYAPI_ERR_VALUE with WYAPI_NO_ATTR in buf for a stored
// value longer than WYAPI_VALUE_MAX (only a file written by other means can
// hold one). A NULL argument gives WYAPI_ERR_STORE and leaves buf alone.
int wyapi_get(const char *node, const char *attr, char *buf);

// Sets `attr` of `node` to `value`, creating the node and the attribute when
// missing. Returns WYAPI_OK, WYAPI_ERR_NODE / WYAPI_ERR_ATTR for a name outside
// the limits, WYAPI_ERR_VALUE for a value too long, WYAPI_ERR_STORE when the
// store file cannot be read or written (the store is then unchanged).
int wyapi_set(const char *node, const char *attr, const char *value);

// Removes `node` with all its attributes. Removing a missing node succeeds.
// Returns WYAPI_OK, WYAPI_ERR_NODE for a name outside the limits, or
// WYAPI_ERR_STORE.
int wyapi_unset(const char *node);

// printf-style debug output, on standard output (same stream as printf).
int wydbg_printf(const char *format, ...) __attribute__((format(printf, 1, 2)));

#ifdef __cplusplus
}
#endif

#endif
