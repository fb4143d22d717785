# The feed server's base address is fixed when the reader is built.
set(FEED_BASE_URL "http://127.0.0.1:8080/reader/" CACHE STRING
    "Base address of the feed server: an http or https URL whose path ends in /reader/")

if(NOT FEED_BASE_URL MATCHES "^https?://[^/?#]+(/[^?#]*)?/reader/$")
  message(FATAL_ERROR
    "FEED_BASE_URL must be an http:// or https:// URL whose path ends in \"/reader/\" "
    "(for example http://feeds.example.org/reader/), got \"${FEED_BASE_URL}\".")
endif()
