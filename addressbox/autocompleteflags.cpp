#include "addressbox/autocompleteflags.h"

quint32 autoCompleteFlags(TAutoComplete autoComplete, TAutoSuggest autoSuggest, TFileOptions fileOptions)
{
    quint32 flags = 0;
    if (fileOptions.testFlag(TFileOption::FileSystem))
        flags += kAutoCompleteFileSystem;
    if (fileOptions.testFlag(TFileOption::UrlHistory))
        flags += kAutoCompleteUrlHistory;
    if (fileOptions.testFlag(TFileOption::UrlMRU))
        flags += kAutoCompleteUrlMru;
    if (autoSuggest == asForceOn)
        flags += kAutoSuggestForceOn;
    else if (autoSuggest == asForceOff)
        flags += kAutoSuggestForceOff;
    if (autoComplete == acForceOn)
        flags += kAutoAppendForceOn;
    else if (autoComplete == acForceOff)
        flags += kAutoAppendForceOff;
    return flags;
}

CompleterSetup completerSetupFor(quint32 flags)
{
    CompleterSetup setup;
    setup.inlineCompletion = !(flags & kAutoAppendForceOff);
    setup.suggestionList = !(flags & kAutoSuggestForceOff);
    const quint32 sources = flags & (kAutoCompleteFileSystem | kAutoCompleteUrlHistory | kAutoCompleteUrlMru);
    setup.fileSystemSource = sources == kAutoCompleteFileSystem;
    return setup;
}
