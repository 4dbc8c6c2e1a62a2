#include "classweb/serve_command.h"

#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "classweb/web_service.h"

namespace tutor::classweb {
namespace {

constexpr std::string_view kUsage =
    "usage: velmora-class [--service NAME] serve [--listen ADDR:PORT] [--web DIR]\n"
    "                     [--cert FILE --key FILE]\n"
    "  Serves the web edition to the class's learners, who sign in at its first\n"
    "  page, and each class's live report to its teachers. Without a certificate\n"
    "  it listens only on a loopback address (127.0.0.1:8080 unless told);\n"
    "  with --cert and --key (PEM files) it speaks HTTPS (0.0.0.0:8443 unless\n"
    "  told). DIR holds the web edition (" TUTOR_WEB_FILES
    ").\n"
    "  It reaches the class server through the libpq service NAME (--service,\n"
    "  else $PGSERVICE, else velmora) as a login made by add-web-login.\n";

struct ServeLine {
  std::string service;
  std::string address;
  int port = 0;
  std::filesystem::path web = TUTOR_WEB_FILES;
  std::optional<std::string> certificate;
  std::optional<std::string> key;
};

std::optional<int> port_of(std::string_view text) {
  int port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535) {
    return std::nullopt;
  }
  return port;
}

std::optional<ServeLine> parse(std::span<const std::string_view> args, std::string_view pgservice) {
  ServeLine line;
  line.service = pgservice.empty() ? "velmora" : std::string(pgservice);
  std::optional<std::string_view> listen;
  bool served = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const bool has_value = i + 1 < args.size() && !args[i + 1].empty();
    if (arg == "serve" && !served) {
      served = true;
    } else if (arg == "--service" && has_value) {
      line.service = args[++i];
    } else if (arg == "--listen" && has_value) {
      listen = args[++i];
    } else if (arg == "--web" && has_value) {
      line.web = std::string(args[++i]);
    } else if (arg == "--cert" && has_value) {
      line.certificate = args[++i];
    } else if (arg == "--key" && has_value) {
      line.key = args[++i];
    } else {
      return std::nullopt;
    }
  }
  if (!served || line.certificate.has_value() != line.key.has_value()) {
    return std::nullopt;
  }
  const std::string_view where = listen             ? *listen
                                 : line.certificate ? std::string_view("0.0.0.0:8443")
                                                    : std::string_view("127.0.0.1:8080");
  const std::size_t colon = where.rfind(':');
  if (colon == std::string_view::npos || colon == 0) {
    return std::nullopt;
  }
  std::string_view address = where.substr(0, colon);
  if (address.size() > 2 && address.front() == '[' && address.back() == ']') {
    address = address.substr(1, address.size() - 2);  // [::1]:8080
  }
  const std::optional<int> port = port_of(where.substr(colon + 1));
  if (!port) {
    return std::nullopt;
  }
  line.address = address;
  line.port = *port;
  return line;
}

bool loopback(std::string_view address) {
  return address.starts_with("127.") || address == "::1" || address == "localhost";
}

}  // namespace

bool is_serve(std::span<const std::string_view> args) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--service") {
      ++i;
    } else if (!args[i].starts_with("--")) {
      return args[i] == "serve";
    }
  }
  return false;
}

int run_serve(std::span<const std::string_view> args,
              std::string_view pgservice,
              std::ostream& out,
              std::ostream& err) {
  const std::optional<ServeLine> line = parse(args, pgservice);
  if (!line) {
    err << kUsage;
    return 2;
  }
  if (!line->certificate && !loopback(line->address)) {
    err << "velmora-class: without a certificate the service listens only on a loopback address"
           " (127.0.0.1, ::1): browsers keep a page's records and offline files only for a"
           " secure page, and passwords would cross the network in the clear; give --cert and"
           " --key to serve "
        << line->address << "\n";
    return 1;
  }
  std::error_code ec;
  if (!std::filesystem::is_regular_file(line->web / "index.html", ec)) {
    err << "velmora-class: no web edition in " << line->web.string()
        << ": build it with scripts/web.sh --build and give --web build/web\n";
    return 1;
  }
  // Taken by the thread that stops the service, not by the server's threads.
  sigset_t stopping;
  sigemptyset(&stopping);
  sigaddset(&stopping, SIGINT);
  sigaddset(&stopping, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  try {
    WebService service({line->service, line->web, line->certificate.has_value()});
    http::ServerSettings settings;
    if (line->certificate) {
      settings.tls = http::TlsFiles{*line->certificate, *line->key};
    }
    settings.largest_body = 2 << 20;
    http::Server server(settings, [&service](const http::Request& r) { return service.handle(r); });
    const std::optional<int> port = server.bind(line->address, line->port);
    if (!port) {
      err << "velmora-class: cannot listen on " << line->address << ":" << line->port
          << " (in use, or not this machine's address)\n";
      return 1;
    }
    out << "serving the class at " << (line->certificate ? "https://" : "http://")
        << (line->address.find(':') != std::string::npos ? "[" + line->address + "]"
                                                         : line->address)
        << ":" << *port << "/ through the service " << line->service << std::endl;
    std::thread stopper([&server, stopping] {
      int signal = 0;
      sigwait(&stopping, &signal);
      server.stop();
    });
    const bool served = server.serve();
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return served ? 0 : 1;
  } catch (const std::exception& e) {
    err << "velmora-class: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tutor::classweb
