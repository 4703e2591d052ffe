// The nrfutil stand-in's batches: operations appended to a batch file (--append-batch) or printed
// (--generate) instead of run, and a batch file run on one probe (batch-execute).
//
// A batch file is one JSON object, modelled on what nrfutil and Zephyr's flash runner write:
//   {"nrfutil_device_version":"2.21.0","family":"nrf53","operations":[
//     {"operation":{"type":"program","firmware":{"file":"net.hex"},
//                   "options":{"chip_erase_mode":"ERASE_ALL","verify":"VERIFY_READ",
//                              "reset":"RESET_NONE"}},
//      "core":"Network","operationId":"1"}, ...]}
// Other operations: {"type":"recover"}, {"type":"protection-set","protection":"All"},
// {"type":"reset","option":"RESET_PIN"}, {"type":"read","address":A,"bytes":N,"width":32},
// {"type":"write","address":A,"value":V}; addresses and values are JSON numbers (decimal).
// "family" is there only when an operation named one.
//
// batch-execute refuses a file of another nrfutil_device_version than the stand-in's
// (Settings::deviceVersion) with "Error: The batch file is of nrfutil-device version <v>, this
// is version <v'>: generate it again." and exit code 1, before it touches the probe (modelled: the
// real tool refuses such a file, its words are not known). Otherwise it runs the operations in
// order on the probe's chip, each as its own task, wrapped as BeginBatch (nrfutil_tasks.h)
// describes, stops at the first that fails, and closes the stream with batch_end.
#pragma once

#include <functional>
#include <string>

#include "nrfutil_arguments.h"
#include "standin_settings.h"

namespace sim::nrfutil {

// Appends the request's operation to request.appendBatch (created when absent), or prints it
// (--generate); refuses a program operation whose firmware file does not exist. Returns the exit
// code.
int AddToBatch(const Request& request, const Settings& settings);

// Runs request.batchFile on request.serialNumber's probe; runOne runs one operation's request and
// returns its exit code. With Settings::batchFail N, the Nth operation fails instead.
int ExecuteBatch(const Request& request, const Settings& settings,
                 const std::function<int(const Request&)>& runOne);

}  // namespace sim::nrfutil
