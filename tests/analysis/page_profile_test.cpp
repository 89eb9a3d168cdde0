#include "page_profile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PageStartCase {
    std::string start;
    const char* profile;
    Html4Dtd dtd = Html4Dtd::None;  // the DTD it names, for the html4 check
};

TEST(ProfileOfPage, ChoosesByTheDoctypeAtThePagesStart) {
    using D = Html4Dtd;
    const std::string strict = "\"-//W3C//DTD HTML 4.01//EN\"";
    const std::string xhtml = "\"-//W3C//DTD XHTML 1.0 Strict//EN\"";
    const PageStartCase cases[] = {
        {"<!DOCTYPE HTML PUBLIC " + strict + " \"http://www.w3.org/TR/html4/strict.dtd\">", "html4", D::Strict},
        {"<!DOCTYPE HTML PUBLIC " + strict + ">", "html4", D::Strict},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"\n"
         "   \"http://www.w3.org/TR/html4/loose.dtd\">",
         "html4", D::Transitional},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\">", "html4", D::Frameset},
        {"<!doctype html public '-//w3c//dtd html 4.01 transitional//en'>", "html4", D::Transitional},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional\">", "html4"},
        {"<!DOCTYPE html PUBLIC " + xhtml + " \"http://www.w3.org/TR/xhtml1/DTD/xhtml1-strict.dtd\">", "html4",
         D::Strict},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">", "html4", D::Transitional},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD xhtml 1.0 FRAMESET//EN\">", "html4", D::Frameset},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1//EN\" \"http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd\">",
         "html4", D::Strict},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.1 plus MathML 2.0//EN\">", "html4"},
        {"<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0//EN\">", "html4"},
        {"<!DOCTYPE html>", "html5"},
        {"<!doctype html><title>x</title>", "html5"},
        {"<!DOCTYPE   HTML  >", "html5"},
        {"<!DocType\thtml\r\n>", "html5"},
        {"<!DOCTYPE html SYSTEM \"about:legacy-compat\">", "html5"},
        {"<!doctype html system 'ABOUT:LEGACY-COMPAT'>", "html5"},
        {"<!DOCTYPE html SYSTEM \"about:legacy\">", "html32"},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2 Final//EN\">", "html32"},
        {"<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">", "html32"},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0//EN\">", "html32"},
        {"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">", "html32"},
        {"<!-- made by hand -->\n<!DOCTYPE html>", "html5"},
        {"<!-- one --><!----> <!-- two -->" "<!DOCTYPE HTML PUBLIC " + strict + ">", "html4", D::Strict},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html PUBLIC " + xhtml + ">", "html4", D::Strict},
        {"<!DOCTYPE HTML SYSTEM \"-//W3C//DTD HTML 4.01//EN\">", "html32"},
        {"<p><!DOCTYPE HTML PUBLIC " + strict + ">", "html32"},
        {"\xEF\xBB\xBF<!DOCTYPE html>", "html5"},
        {"\xEF\xBB\xBF <?xml version=\"1.0\"?> <!-- x --> <!doctype html>", "html5"},
        {"  \n\t<!DOCTYPE html>", "html5"},
        {"<!-- never closed <!DOCTYPE html>", "html32"},
        {"<?xml version=\"1.0\" <!DOCTYPE html>", "html32"},
        {"", "html32"},
        {"<!DOCTYPE htmlx>", "html32"},
        {"<!DOCTYPE html", "html32"},
        {"<!DOCTYPE>", "html32"},
        {"<!DOCTYPE html PUBLIC>", "html32"},
        {"Welcome <!DOCTYPE html>", "html32"},
        {"<HTML><!DOCTYPE html>", "html32"},
        {"\xEF\xBB<!DOCTYPE html>", "html32"},
    };
    for (const PageStartCase& c : cases) {
        // Exactly the page's bytes, no NUL after them: a read past the end shows under ASan.
        const std::vector<char> page(c.start.begin(), c.start.end());
        EXPECT_STREQ(profileOfPage(page.data(), page.size()), c.profile) << c.start;
        EXPECT_EQ(html4DtdOf(page.data(), page.size()), c.dtd) << c.start;
    }
    // What lies past the given size is no part of the page.
    const char doctype[] = "<!DOCTYPE html>";
    EXPECT_STREQ(profileOfPage(doctype, sizeof doctype - 1), "html5");
    EXPECT_STREQ(profileOfPage(doctype, sizeof doctype - 2), "html32");
}

}  // namespace
