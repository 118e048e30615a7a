#include "toolkit/core/ResultCodes.h"

namespace {

const char* const kResultTexts[kResCodeCount] = {
    "Success!",
    "Generic Failure.",
    "Handled result.",
    "Operation completed successfully",
    "User has cancelled operation.",
    "Not enough memory to perform action.",
    "Bad parameter has been passed.",
    "An object couldn't be accessed because it was busy or in use already.",
    "A function call has been made to an object that is invalid.",
    "A file could not be located.",
    "The function has not been written yet.",
    "A system preference couldn't be read/written.",
    "A parameter was out of sensible range.",
    "A buffer has been accessed past its end.",
    "An error occurred opening the requested file.",
    "An error occurred on attempting to close a file stream.",
    "An error occurred on attempting to read/write data from/to a file stream.",
    "The file being accessed is invalid.",
    "The target file already existed.",
    "An error occurred on attempting to return a path name.",
    "An error occurred parsing data from a text resource file.",
    "An error occurred writing data to a binary resource file.",
    "A requested resource was not found.",
    "An error occurred reading data from a binary resource file.",
    "An error occurred on attempting to create an object.",
    "The object being accessed is damaged (overwritten?).",
    "Whatever you did, it was in really bad taste,\nwe implore you to reconsider.",
    "A network operation has failed - not fatal, execution may continue",
    "A network error occurred - networking is probably no longer functional.",
    "An object which has a key value that's already present in the dictionary cannot be inserted.",
    "The comparison callback for this dictionary returned an invalid result.",
    "An action that required a valid key to be found failed due to no key of that value being present in the dictionary.",
};

}  // namespace

const char* ResultText(tResult code)
{
    return kResultTexts[code < kResCodeCount ? code : kResFailure];
}
