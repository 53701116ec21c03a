#pragma once
// Which process works on a run, written so that another process can tell later whether it still
// runs: the boot, the process id and the process's start time, read from /proc. A process id
// alone is reused; with the boot and the start time it names one process only.

#include <string>

namespace velmora {

/// This process as "boot/pid/start". A forked child gets its own, not its parent's.
std::string processIdentity();
/// True while the process named by identity (as processIdentity gave it) still runs; false once
/// it has exited, even before its parent has collected it.
bool processAlive(const std::string& identity);

}  // namespace velmora
