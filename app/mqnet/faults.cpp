#include "app/mqnet/faults.h"

#include <string>

#include "textio/escape.h"
#include "textio/lines.h"

namespace mq::mqnet {

namespace {

void line(BufferedWriter& w, std::size_t number)
{
    w.write(" line ");
    w.decimal(number);
    w.write(": ");
}

}  // namespace

void Faults::say(std::string_view where, std::string_view what)
{
    err_.write("mqnet: ");
    err_.write(where);
    err_.write(": ");
    err_.write(what);
    err_.put('\n');
}

void Faults::refused(std::string_view source, std::size_t number, std::string_view item, std::string_view reason)
{
    ++refused_;
    err_.write("mqnet: ");
    err_.write(textio::escaped(source));
    line(err_, number);
    err_.write(textio::escaped(item));
    err_.write(": ");
    err_.write(reason);
    err_.put('\n');
}

void Faults::refusedAt(std::string_view where, std::string_view reason)
{
    ++refused_;
    say(where, reason);
}

void Faults::tooLong(std::string_view source, std::size_t number)
{
    ++refused_;
    err_.write("mqnet: ");
    err_.write(textio::escaped(source));
    line(err_, number);
    err_.write(textio::tooLongReason());
    err_.put('\n');
    err_.flush();  // rare, and the rest of such an input may take long or never end
}

}  // namespace mq::mqnet
