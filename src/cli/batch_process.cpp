#include "cli/batch_process.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

namespace orvantis {

pid_t startStudyProcess(const std::string& program, const std::vector<std::string>& arguments,
                        const std::filesystem::path& folder,
                        const std::filesystem::path& outputFile, std::string& error) {
  // Everything the child needs is made before fork: between fork and exec only system calls.
  std::vector<std::string> words;
  words.push_back(program);
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string folderText = folder.string();
  const std::string outputText = outputFile.string();
  const pid_t parent = ::getpid();

  const pid_t pid = ::fork();
  if (pid < 0) {
    error = std::string("cannot start a study (") + std::strerror(errno) + ")";
    return -1;
  }
  if (pid == 0) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(126);  // the batch died before the line above
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    const int output = ::open(outputText.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int input = ::open("/dev/null", O_RDONLY);
    if (output < 0 || input < 0 || ::chdir(folderText.c_str()) != 0) ::_exit(126);
    ::dup2(input, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(output, STDERR_FILENO);
    ::execv(program.c_str(), argv.data());
    const char message[] = "orvantis batch: the study's command could not be started\n";
    (void)!::write(STDERR_FILENO, message, sizeof message - 1);
    ::_exit(127);
  }
  return pid;
}

std::uint64_t residentBytes(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/statm");
  std::uint64_t size = 0;
  std::uint64_t resident = 0;
  if (!(in >> size >> resident)) return 0;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

std::string describeWaitStatus(int status) {
  if (WIFEXITED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = ::strsignal(signal);
    return "killed by signal " + std::to_string(signal) +
           (name != nullptr ? std::string(" (") + name + ")" : std::string());
  }
  return "ended with status " + std::to_string(status);
}

std::string currentProgramPath(const char* argv0) {
  std::error_code code;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", code);
  if (!code) return self.string();
  return std::filesystem::absolute(argv0, code).string();
}

int availableProcessors() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return count;
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return hardware > 0 ? static_cast<int>(hardware) : 1;
}

}  // namespace orvantis
