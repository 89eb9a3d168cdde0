// What an open document is checked with: the profile, the user's known tags and the kinds
// left out, as the tagvetter.toml nearest the page says. Configurations are kept by their
// path and profiles by what they are made of, so that an edit costs no file reads.
#pragma once

#include <string>
#include <vector>

#include "document_check.h"
#include "site_config.h"
#include "site_settings.h"
#include "tag_profile.h"

// The path of a file:// URI, percent-decoded; false for any other scheme, a host other
// than localhost, or a NUL.
bool pathOfFileUri(const std::string& uri, std::string& path);

// Whether the document is one this server checks: HTML by the editor's word, or by its
// name's ending.
bool isHtmlDocument(const std::string& languageId, const std::string& uri);

struct CheckSetup {
    bool excluded = false;  // the configuration's `exclude` takes the page
    const TagProfile* profile = nullptr;
    CheckOptions options;
};

class SiteProfiles {
public:
    // The setup for the page at `path` whose text is `text`, "" for a document that is no
    // file: the built-in default, auto. With auto the profile is the one the text's start
    // asks for. A configuration or known-tag file that can't be read adds its messages to
    // `errors`, once until it is read again, and leaves the page with the default.
    CheckSetup setupFor(const std::string& path, const std::string& text, std::vector<std::string>& errors);

    // Drops the configuration kept for `file`, and every profile, whose known-tag files
    // may have changed with it: the next setup reads them again.
    void forgetConfiguration(const std::string& file);

private:
    SiteSettings site_;
};
