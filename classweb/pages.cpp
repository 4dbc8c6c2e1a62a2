#include "classweb/pages.h"

#include "teacher/report_html.h"

namespace tutor::classweb {
namespace {

using teacher::html_text;

constexpr std::string_view kStyle = R"(<style>
body { font-family: "IPAGothic", "Noto Sans CJK JP", sans-serif; background: #f4f4ef; color: #111;
       margin: 0; display: flex; min-height: 100vh; align-items: center; justify-content: center; }
main { background: #fff; border: 2px solid #2a5d9f; border-radius: 12px; padding: 28px 36px; width: 22em; }
h1 { font-size: 1.4em; margin: 0 0 12px; color: #2a5d9f; }
label { display: block; margin: 14px 0 4px; font-size: 1.1em; }
input { font-size: 1.3em; width: 100%; box-sizing: border-box; padding: 6px 8px; }
button { margin-top: 20px; font-size: 1.3em; width: 100%; padding: 8px; background: #2a5d9f; color: #fff;
         border: 0; border-radius: 8px; cursor: pointer; }
p.note { background: #fff4d6; border-left: 6px solid #d9a400; padding: 8px 12px; margin: 0 0 8px; }
</style>
)";

std::string_view note_words(SignInNote note) {
  switch (note) {
    case SignInNote::Refused:
      return "クラス、なまえ、パスワードの どれかが ちがいます。たしかめて、もう一度 "
             "入れてください。";
    case SignInNote::SlowDown:
      return "まちがいが 多いので、しばらく サインインできません。1分 まってから、もう一度 "
             "ためしてください。";
    case SignInNote::ServerAway:
      return "いま サーバーに つながりません。少し まってから、もう一度 ためしてください。"
             "なおらないときは 先生に 言ってください。";
    case SignInNote::SignedOut:
      return "サインアウトしました。";
    case SignInNote::SessionOver:
      return "しばらく つかわなかったので、サインアウトしました。もう一度 サインインしてください。";
    case SignInNote::None:
      break;
  }
  return "";
}

}  // namespace

std::string sign_in_page(SignInNote note, std::string_view class_name, std::string_view learner) {
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>サインイン — タッチタイプ基本練習</title>\n";
  page += kStyle;
  page += "</head>\n<body>\n<main>\n<h1>タッチタイプ基本練習</h1>\n";
  if (note != SignInNote::None) {
    page +=
        "<p class=\"note\" role=\"alert\" id=\"note\">" + std::string(note_words(note)) + "</p>\n";
  }
  page +=
      "<form method=\"post\" action=\"/sign-in\" autocomplete=\"off\">\n"
      "<label for=\"class\">クラス</label>\n"
      "<input id=\"class\" name=\"class\" required maxlength=\"20\" autocapitalize=\"off\" "
      "spellcheck=\"false\" value=\"" +
      html_text(class_name) +
      "\">\n"
      "<label for=\"learner\">なまえ</label>\n"
      "<input id=\"learner\" name=\"learner\" required maxlength=\"32\" autocapitalize=\"off\" "
      "spellcheck=\"false\" value=\"" +
      html_text(learner) +
      "\">\n"
      "<label for=\"password\">パスワード</label>\n"
      "<input id=\"password\" name=\"password\" type=\"password\" required maxlength=\"100\" "
      "autocomplete=\"off\">\n"
      "<button type=\"submit\" id=\"sign-in\">サインイン</button>\n"
      "</form>\n</main>\n</body>\n</html>\n";
  return page;
}

std::string live_report_page(std::string report_html,
                             std::string_view class_name,
                             std::string_view csrf) {
  const std::string name = html_text(class_name);
  const std::string bar =
      "<div id=\"live\" style=\"position:sticky;top:0;background:#2a5d9f;color:#fff;padding:6px "
      "12px;display:flex;gap:16px;align-items:center;font-size:14px\">"
      "<span>クラス " +
      name +
      " — 練習のようすを 数秒ごとに 新しくしています</span>"
      "<a style=\"color:#fff\" id=\"csv\" href=\"/class/" +
      name + "/report.csv\" download=\"" + name +
      ".csv\">CSVをダウンロード</a>"
      "<label>名簿（CSV）から 学習者を 入れる <input type=\"file\" id=\"roster\" "
      "accept=\".csv,text/csv\"></label><span id=\"roster-result\" "
      "style=\"white-space:pre-wrap\"></span>"
      "<form method=\"post\" action=\"/sign-out\" style=\"margin:0 0 0 auto\">"
      "<input type=\"hidden\" name=\"csrf\" value=\"" +
      html_text(csrf) +
      "\"><button type=\"submit\" id=\"sign-out\">サインアウト</button></form></div>\n"
      "<style>@media print { #live { display: none; } }</style>\n";
  // The class's state is asked every two seconds; the report is fetched anew
  // only when a block came, and its body swapped in place.
  const std::string script =
      "<script>\n(() => {\n"
      "  const base = '/class/" +
      name +
      "';\n"
      "  const csrf = '" +
      html_text(csrf) +
      "';\n"
      "  let state = null;\n"
      "  const look = async () => {\n"
      "    try {\n"
      "      const r = await fetch(base + '/state', {cache: 'no-store'});\n"
      "      if (r.status === 401) { location.href = '/?over=1'; return; }\n"
      "      const now = await r.text();\n"
      "      if (state !== null && now !== state) {\n"
      "        const page = await (await fetch(base + '/report', {cache: 'no-store'})).text();\n"
      "        const report = new DOMParser().parseFromString(page, 'text/html');\n"
      "        document.getElementById('report').replaceChildren(...report.body.childNodes);\n"
      "        window.velmoraUpdated = (window.velmoraUpdated || 0) + 1;\n"
      "      }\n"
      "      state = now;\n"
      "    } catch (e) {}\n"
      "    setTimeout(look, 2000);\n"
      "  };\n"
      "  look();\n"
      "  // A roster's learners added: their sign-in cards come back to print.\n"
      "  const roster = document.getElementById('roster');\n"
      "  const result = document.getElementById('roster-result');\n"
      "  roster.onchange = async () => {\n"
      "    const file = roster.files[0];\n"
      "    if (!file) { return; }\n"
      "    result.textContent = '入れています…';\n"
      "    const r = await fetch(base + '/roster', {method: 'POST', body: file,\n"
      "      headers: {'Content-Type': 'text/csv', 'X-Velmora-Csrf': csrf}});\n"
      "    roster.value = '';\n"
      "    if (!r.ok) { result.textContent = await r.text(); return; }\n"
      "    const a = document.createElement('a');\n"
      "    a.href = URL.createObjectURL(await r.blob());\n"
      "    a.download = '" +
      name +
      "-cards.html';\n"
      "    document.body.appendChild(a);\n"
      "    a.click();\n"
      "    a.remove();\n"
      "    result.textContent = '入れました。サインインカードを 印刷してください。';\n"
      "  };\n"
      "})();\n</script>\n";
  const std::size_t body = report_html.find("<body>");
  const std::size_t end = report_html.rfind("</body>");
  if (body == std::string::npos || end == std::string::npos) {
    return bar + report_html + script;
  }
  report_html.insert(end, "</div>\n" + script);
  report_html.insert(body + 6, "\n" + bar + "<div id=\"report\">");
  return report_html;
}

std::string refusal_page(std::string_view title, std::string_view words) {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         html_text(title) + "</title>\n" + std::string(kStyle) + "</head>\n<body>\n<main>\n<h1>" +
         html_text(title) + "</h1>\n<p>" + html_text(words) +
         "</p>\n<p><a href=\"/\">サインインの ページへ</a></p>\n</main>\n</body>\n</html>\n";
}

}  // namespace tutor::classweb
