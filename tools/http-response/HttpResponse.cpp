#include "HttpResponse.h"

QByteArray httpReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    default: return "Error";
    }
}

QByteArray formatHttpResponse(const HttpResponse &response)
{
    QByteArray out = "HTTP/1.1 " + QByteArray::number(response.status) + ' '
                     + httpReasonPhrase(response.status) + "\r\n";
    if (!response.contentType.isEmpty())
        out += "Content-Type: " + response.contentType + "\r\n";
    for (const auto &[name, value] : response.headers)
        out += name + ": " + value + "\r\n";
    out += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    // One request per connection keeps both servers simple.
    out += "Connection: close\r\n\r\n";
    return out + response.body;
}
