// The baseline of the service throughput benchmark: a bare CivetWeb server (C interface, no
// wrapper, no service code) whose one handler answers every request under "/1.0/" with fixed
// bytes, header included, read from a file: the bytes the service sends for the same request.
//
//   service_bare_server LISTENING_PORTS ANSWER_FILE
//
// Same threads, limits and keep-alive setting as the service; runs until SIGINT or SIGTERM.

#include <civetweb.h>
#include <signal.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string answer;

int answerHandler(mg_connection* connection, void*) {
    mg_write(connection, answer.data(), answer.size());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s LISTENING_PORTS ANSWER_FILE\n", argv[0]);
        return 2;
    }
    std::ifstream file(argv[2], std::ios::binary);
    answer.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (answer.empty()) {
        std::fprintf(stderr, "no answer bytes in %s\n", argv[2]);
        return 2;
    }

    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    const char* options[] = {
        "listening_ports",  argv[1], "num_threads", "5", "access_control_allow_methods", "",
        "max_request_size", "65536", nullptr};
    mg_context* context = mg_start(nullptr, nullptr, options);
    if (context == nullptr) {
        std::fprintf(stderr, "cannot listen on %s\n", argv[1]);
        return 1;
    }
    mg_set_request_handler(context, "/1.0/", answerHandler, nullptr);
    std::printf("listening on %s\n", argv[1]);
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stop, &signal);
    mg_stop(context);
    return 0;
}
