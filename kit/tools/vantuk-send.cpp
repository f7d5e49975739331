// vantuk-send: sends a message to a running program of the kit from the
// shell, the way other programs send theirs. Tests use it for the messages
// that come from outside.

#include <errno.h>
#include <float.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <Point.h>
#include <Rect.h>

#include <private/MessagePort.h>


namespace {

enum {
	kExitDone = 0,
	kExitNotSent = 1,
	kExitUsage = 2,
};

const char kUsage[]
	= "Usage: vantuk-send [--reply] SIGNATURE CODE [FIELD ...]\n"
	  "Sends a message to the running program with the application signature\n"
	  "SIGNATURE.\n"
	  "\n"
	  "  CODE     the message's code: four characters (RFID or 'RFID') or a\n"
	  "           decimal number; four digits are a number unless quoted\n"
	  "  FIELD    name=value          a string\n"
	  "           name:TYPE=value     TYPE is one of string, int32, int64,\n"
	  "                               bool (true, false, 1, 0), float, double,\n"
	  "                               point (x,y), rect (left,top,right,bottom),\n"
	  "                               ref (a path, made absolute)\n"
	  "           A name given more than once gets one value each time.\n"
	  "  --reply  waits for the program's reply and prints it\n"
	  "  --help   shows this text\n"
	  "\n"
	  "Exit status: 0 the program has the message (and answered), 1 the program\n"
	  "does not run or did not take the message (it was not delivered), 2 wrong\n"
	  "usage. A program that is busy is waited for, up to 30 seconds.\n";


// Thrown at wrong usage: main() says it and ends with kExitUsage.
struct UsageError {
	std::string what;
};


bool
IsDecimal(const char* text)
{
	if (text[0] == '\0')
		return false;
	for (const char* c = text; *c != '\0'; c++) {
		if (*c < '0' || *c > '9')
			return false;
	}
	return true;
}


uint32
ParseCode(const char* text)
{
	std::string code = text;
	bool quoted = code.size() >= 2 && code.front() == '\'' && code.back() == '\'';
	if (quoted)
		code = code.substr(1, code.size() - 2);

	if (!quoted && IsDecimal(code.c_str())) {
		errno = 0;
		unsigned long long value = strtoull(code.c_str(), NULL, 10);
		if (errno != 0 || value > UINT32_MAX)
			throw UsageError{"the code " + code + " is too large"};
		return static_cast<uint32>(value);
	}

	if (code.size() != 4)
		throw UsageError{"the code '" + code + "' is not four characters"};
	uint32 value = 0;
	for (char c : code) {
		if (c < ' ' || c > '~')
			throw UsageError{"the code holds a character that is not printable"};
		value = (value << 8) | static_cast<uint8>(c);
	}
	return value;
}


int64
ParseInteger(const std::string& text, int64 min, int64 max)
{
	if (text.empty())
		throw UsageError{"a number is missing"};
	char* end;
	errno = 0;
	long long value = strtoll(text.c_str(), &end, 10);
	if (*end != '\0')
		throw UsageError{"\"" + text + "\" is not a whole number"};
	if (errno == ERANGE || value < min || value > max)
		throw UsageError{"the number " + text + " is out of range"};
	return value;
}


double
ParseReal(const std::string& text)
{
	if (text.empty())
		throw UsageError{"a number is missing"};
	char* end;
	errno = 0;
	double value = strtod(text.c_str(), &end);
	if (*end != '\0')
		throw UsageError{"\"" + text + "\" is not a number"};
	if (errno == ERANGE)
		throw UsageError{"the number " + text + " is out of range"};
	return value;
}


float
ParseFloat(const std::string& text)
{
	double value = ParseReal(text);
	if (value > FLT_MAX || value < -FLT_MAX)
		throw UsageError{"the number " + text + " is out of range"};
	return static_cast<float>(value);
}


// count floats separated by commas.
std::vector<float>
ParseFloats(const std::string& text, size_t count, const char* what)
{
	std::vector<float> values;
	size_t start = 0;
	while (true) {
		size_t comma = text.find(',', start);
		values.push_back(ParseFloat(text.substr(start, comma - start)));
		if (comma == std::string::npos)
			break;
		start = comma + 1;
	}
	if (values.size() != count)
		throw UsageError{"\"" + text + "\" is not a " + what};
	return values;
}


status_t
AddField(BMessage* message, const std::string& name, const std::string& type,
	const std::string& value)
{
	const char* field = name.c_str();
	if (type == "string")
		return message->AddString(field, value.c_str());
	if (type == "int32")
		return message->AddInt32(field, ParseInteger(value, INT32_MIN, INT32_MAX));
	if (type == "int64")
		return message->AddInt64(field, ParseInteger(value, INT64_MIN, INT64_MAX));
	if (type == "bool") {
		if (value != "true" && value != "false" && value != "1" && value != "0")
			throw UsageError{"\"" + value + "\" is not true, false, 1 or 0"};
		return message->AddBool(field, value == "true" || value == "1");
	}
	if (type == "float")
		return message->AddFloat(field, ParseFloat(value));
	if (type == "double")
		return message->AddDouble(field, ParseReal(value));
	if (type == "point") {
		std::vector<float> xy = ParseFloats(value, 2, "point (x,y)");
		return message->AddPoint(field, BPoint(xy[0], xy[1]));
	}
	if (type == "rect") {
		std::vector<float> edges = ParseFloats(value, 4, "rectangle (left,top,right,bottom)");
		return message->AddRect(field, BRect(edges[0], edges[1], edges[2], edges[3]));
	}
	if (type == "ref") {
		entry_ref ref;
		if (value.empty() || ref.set_path(value.c_str()) != B_OK)
			throw UsageError{"\"" + value + "\" is not a usable path"};
		return message->AddRef(field, &ref);
	}
	throw UsageError{"unknown type \"" + type + "\""};
}


// name=value or name:TYPE=value; the type follows the name's last colon.
void
AddArgument(BMessage* message, const char* argument)
{
	std::string text = argument;
	size_t equals = text.find('=');
	if (equals == std::string::npos)
		throw UsageError{"\"" + text + "\" is not name=value"};

	std::string name = text.substr(0, equals);
	std::string value = text.substr(equals + 1);
	std::string type = "string";
	size_t colon = name.rfind(':');
	if (colon != std::string::npos) {
		type = name.substr(colon + 1);
		name = name.substr(0, colon);
	}
	if (name.empty())
		throw UsageError{"\"" + text + "\" has no field name"};

	status_t status = AddField(message, name, type, value);
	if (status != B_OK) {
		throw UsageError{"the field \"" + name + "\" cannot take this value ("
			+ error_text(status) + ")"};
	}
}

} // namespace


int
main(int argc, char** argv)
{
	bool wantsReply = false;
	int next = 1;
	try {
		for (; next < argc && strncmp(argv[next], "--", 2) == 0; next++) {
			if (strcmp(argv[next], "--help") == 0) {
				fputs(kUsage, stdout);
				return kExitDone;
			}
			if (strcmp(argv[next], "--reply") == 0)
				wantsReply = true;
			else if (strcmp(argv[next], "--") == 0) {
				next++;
				break;
			} else
				throw UsageError{std::string("unknown option ") + argv[next]};
		}
		if (argc - next < 2)
			throw UsageError{"a signature and a code are needed"};

		const char* signature = argv[next];
		if (!BMimeType::IsValid(signature))
			throw UsageError{std::string("\"") + signature + "\" is not a signature"};
		BMessage message(ParseCode(argv[next + 1]));
		for (int i = next + 2; i < argc; i++)
			AddArgument(&message, argv[i]);

		// Nobody here takes replies but the waiting connection itself.
		BPrivate::Envelope envelope;
		BMessage reply;
		status_t status = BPrivate::SendToProgram(signature, message, envelope,
			wantsReply ? &reply : NULL);
		if (status == B_NAME_NOT_FOUND) {
			fprintf(stderr, "vantuk-send: no program with the signature %s runs\n", signature);
			return kExitNotSent;
		}
		if (status == B_BAD_REPLY) {
			fprintf(stderr, "vantuk-send: %s ended the connection without a reply\n",
				signature);
			return kExitNotSent;
		}
		if (status == B_TIMED_OUT) {
			fprintf(stderr,
				"vantuk-send: %s did not take the message within %d seconds; it was not "
				"delivered\n",
				signature, static_cast<int>(BPrivate::kDeliveryLimit / 1000000));
			return kExitNotSent;
		}
		if (status == B_BUSTED_PIPE) {
			fprintf(stderr,
				"vantuk-send: %s ended the connection before it took the message; it was not "
				"delivered\n",
				signature);
			return kExitNotSent;
		}
		if (status != B_OK) {
			fprintf(stderr, "vantuk-send: cannot send to %s: %s\n", signature,
				error_text(status));
			return kExitNotSent;
		}
		if (wantsReply)
			reply.PrintToStream();
		return kExitDone;
	} catch (const UsageError& error) {
		fprintf(stderr, "vantuk-send: %s\nTry 'vantuk-send --help'.\n", error.what.c_str());
		return kExitUsage;
	}
}
