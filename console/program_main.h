#pragma once

#include <functional>
#include <string>

#include "console/console.h"

namespace tutor {

// Which folder a program works in.
enum class WorkingFolder {
  AsStarted,      // the one it was given (every lesson program)
  ProgramFolder,  // the folder it was started from, links not followed (the launcher)
};

// The whole of a program's main(): opens the window and runs `program` on it.
int run_program(const std::string& name,
                WorkingFolder folder,
                const std::function<void(Console&)>& program);

}  // namespace tutor
