// The process entry of rill-trace: the command line goes to the tracer.
#include "trace/trace_command.h"

int main(int argc, char** argv) {
    return rill::runTracer(argc, argv);
}
