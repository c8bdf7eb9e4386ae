// The stand-ins' call record: one line per run, "name arg1 arg2 ...", in the
// file calls.log beside the simulated device's root ($WY_SYSROOT/../calls.log).
#ifndef WY_PLATFORM_CALLREC_H
#define WY_PLATFORM_CALLREC_H

namespace gwsim {

// The system root of the simulated device, or nullptr (with a message naming
// `tool` on stderr) when WY_SYSROOT is unset or not absolute: stand-ins never
// act outside a simulated gateway.
const char *standin_root(const char *tool);

// Appends "name args..." as one line with a single write. Arguments that
// begin with the system root are recorded as device paths (root cut off).
// Returns false (message on stderr) when the record cannot be written.
bool record_call(const char *root, const char *name, int argc, char **argv);

} // namespace gwsim

#endif
