// The moments of a start, for the start benchmark (tools/startbench.sh):
// when the environment variable BEX_START_TRACE names a file, each moment
// noted is appended to it as a line "<moment> <microseconds since 1970>",
// the clock the benchmark reads on the X side. Without it nothing is written.
#pragma once

namespace bex {

void NoteStartMoment(const char* moment);

}  // namespace bex
