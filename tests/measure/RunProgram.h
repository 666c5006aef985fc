// Runs a program through the shell and collects its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace zizovez::test {

struct Outcome {
  int status;       // exit status, -1 if it did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

inline Outcome RunProgram(const std::string& program, const std::string& args, const std::string& errFile) {
  const std::string command = program + " " + args + " 2>" + errFile;
  Outcome o;
  FILE* p = popen(command.c_str(), "r");
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) o.out.append(buf, n);
  const int raw = pclose(p);
  o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream e(errFile);
  std::stringstream ss;
  ss << e.rdbuf();
  o.err = ss.str();
  return o;
}

}  // namespace zizovez::test
