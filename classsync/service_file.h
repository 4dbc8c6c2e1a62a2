#pragma once

#include <string_view>

namespace tutor::classsync {

// The libpq service every learner's computer sends its blocks through.
inline constexpr std::string_view kClassService = "velmora";

// Whether the libpq service named `service` is defined in a service file
// libpq would read (PGSERVICEFILE, else ~/.pg_service.conf; and
// PGSYSCONFDIR/pg_service.conf, else Debian's /etc/postgresql-common/pg_service.conf).
// Reads small files only; never connects and never loads libpq. The class
// features are off without it.
[[nodiscard]] bool service_defined(std::string_view service = kClassService);

}  // namespace tutor::classsync
