#include "speech/speechd/speechdsession.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QString>
#include <QUuid>

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>

namespace speech::speechd {

namespace {

using Clock = Session::Clock;

const QUuid kNamespace(QStringLiteral("{3d6f0a8e-92c4-4b7e-8f15-c0a9d4e2b671}"));

// A voice list read from a daemon is used again for a while: listing takes the
// daemon more than a second for the thirteen thousand voices of espeak-ng.
constexpr std::chrono::seconds kVoiceListLife{30};
// The longest piece of a text handed to the daemon in one message.
constexpr size_t kPieceBytes = 2000;
// How long a stop or a pause waits for the daemon to confirm that it silenced the text.
constexpr std::chrono::milliseconds kCancelWait{1000};
// How long a text may go without news before the daemon is asked whether it is there.
constexpr std::chrono::milliseconds kQuietLimit{2000};

struct VoiceCache {
    std::mutex lock; // guards lists
    std::map<std::string, std::pair<Clock::time_point, std::shared_ptr<const VoiceList>>> lists;
};

// The process's: never destroyed, so that a thread left behind in a daemon that
// hangs finds it whenever it comes back.
VoiceCache &voiceCache()
{
    static VoiceCache *const cache = new VoiceCache;
    return *cache;
}

void forgetVoices(const std::string &address)
{
    VoiceCache &cache = voiceCache();
    std::lock_guard lock(cache.lock);
    cache.lists.erase(address);
}

// libspeechd's notifications name the client and the message, not the
// connection: the sessions are found by their client id here (two daemons may
// give out the same id; a session ignores the messages that are not its own).
struct Registry {
    std::mutex lock; // guards sessions
    std::multimap<int, Session *> sessions;
};

Registry &registry()
{
    static Registry *const r = new Registry;
    return *r;
}

// libspeechd's calls share a few static buffers (the priority, the
// notification command), so the calls of all sessions take turns.
std::mutex &callLock()
{
    static std::mutex *const lock = new std::mutex;
    return *lock;
}

void dispatch(size_t clientId, int kind, size_t msgId, const char *mark)
{
    // spd_close() cancels the event thread: not in here, with our locks held.
    int old = 0;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &old);
    {
        Registry &r = registry();
        std::lock_guard lock(r.lock);
        const auto [first, last] = r.sessions.equal_range(int(clientId));
        for (auto it = first; it != last; ++it)
            it->second->event(kind, msgId, mark);
    }
    pthread_setcancelstate(old, nullptr);
}

void onBegin(size_t msgId, size_t clientId, SPDNotificationType)
{
    dispatch(clientId, SPD_EVENT_BEGIN, msgId, nullptr);
}

void onEnd(size_t msgId, size_t clientId, SPDNotificationType)
{
    dispatch(clientId, SPD_EVENT_END, msgId, nullptr);
}

void onCancel(size_t msgId, size_t clientId, SPDNotificationType)
{
    dispatch(clientId, SPD_EVENT_CANCEL, msgId, nullptr);
}

void onMark(size_t msgId, size_t clientId, SPDNotificationType, char *mark)
{
    dispatch(clientId, SPD_EVENT_INDEX_MARK, msgId, mark);
}

std::string addressKey()
{
    char *error = nullptr;
    SPDConnectionAddress *address = spd_get_default_address(&error);
    std::free(error);
    if (!address)
        return {};
    std::string key;
    if (address->method == SPD_METHOD_UNIX_SOCKET && address->unix_socket_name)
        key = std::string("unix:") + address->unix_socket_name;
    else if (address->method == SPD_METHOD_INET_SOCKET && address->inet_socket_host)
        key = std::string("inet:") + address->inet_socket_host + ":" + std::to_string(address->inet_socket_port);
    SPDConnectionAddress__free(address);
    return key;
}

Gender genderOf(const QString &variant)
{
    const QString v = variant.toLower();
    if (v.contains(QLatin1String("female")))
        return GenderFemale;
    if (v.contains(QLatin1String("male")))
        return GenderMale;
    return GenderNeutral;
}

// The modules whose voices report index marks.
bool marksWords(const std::string &module)
{
    return module == "espeak-ng" || module == "festival";
}

} // namespace

size_t Utf8Length(const std::string &text, size_t at)
{
    const auto byte = [&](size_t i) { return uint32_t(uchar(text[i])); };
    const uint32_t lead = byte(at);
    size_t n = 0;
    uint32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        n = 2, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4, least = 0x10000;
    } else {
        return lead < 0x80 ? 1 : 0;
    }
    if (at + n > text.size())
        return 0;
    uint32_t code = lead & (0x7Fu >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

size_t PieceEnd(const Utterance &u, size_t from)
{
    if (from >= u.words.size())
        return u.words.size();
    const size_t start = u.words[from].first;
    size_t cut = 0;
    for (size_t word = from + 1; word < u.words.size(); ++word) {
        const size_t at = u.words[word].first;
        if (at - start > kPieceBytes)
            return cut > from ? cut : word;
        // A word after a sentence's end or a line's: the piece may end before it.
        size_t before = at;
        while (before > start && (u.text[before - 1] == ' ' || u.text[before - 1] == '\t'))
            --before;
        const char c = before > start ? u.text[before - 1] : ' ';
        if (c == '.' || c == '!' || c == '?' || c == '\n' || c == '\r')
            cut = word;
    }
    return u.words.size();
}

std::string Markup(const Utterance &u, size_t from, size_t to)
{
    std::string out = "<speak>";
    const size_t start = from < u.words.size() ? u.words[from].first : u.text.size();
    const size_t end = to < u.words.size() ? u.words[to].first : u.text.size();
    out.reserve(end - start + (to - from) * 24 + 16);
    size_t word = from;
    for (size_t at = start; at < end; ++at) {
        if (word < u.words.size() && u.words[word].first == at) {
            out += "<mark name=\"";
            out += std::to_string(u.words[word].second);
            out += "\"/>";
            ++word;
        }
        const char c = u.text[at];
        if (uchar(c) >= 0x80) {
            // The daemon takes UTF-8 only: a byte that is none goes as a space, which keeps every offset.
            const size_t n = Utf8Length(u.text, at);
            if (n == 0) {
                out += ' ';
            } else {
                out.append(u.text, at, n);
                at += n - 1;
            }
            continue;
        }
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            // Control characters have no place in XML; a space keeps the words apart.
            out += (uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ? ' ' : c;
        }
    }
    out += "</speak>";
    return out;
}

std::vector<SynthesisVoice> ParseVoiceList(std::string_view reply)
{
    // "249-name<TAB>language<TAB>variant" lines, then "249 OK VOICE LIST SENT".
    std::vector<SynthesisVoice> voices;
    while (!reply.empty()) {
        const size_t end = reply.find("\r\n");
        const std::string_view line = reply.substr(0, end);
        reply.remove_prefix(end == std::string_view::npos ? reply.size() : end + 2);
        if (line.size() < 4 || line[3] != '-' || !std::isdigit(uchar(line[0])))
            continue;
        std::string_view rest = line.substr(4);
        std::string_view fields[3];
        for (std::string_view &field : fields) {
            const size_t tab = rest.find('\t');
            field = rest.substr(0, tab);
            rest.remove_prefix(tab == std::string_view::npos ? rest.size() : tab + 1);
        }
        if (fields[0].empty())
            continue;
        const std::string_view variant = fields[2] == "none" ? std::string_view() : fields[2];
        voices.push_back(SynthesisVoice{std::string(fields[0]), std::string(fields[1]), std::string(variant)});
    }
    return voices;
}

int DaemonRate(int wordsPerMinute)
{
    const int wpm = std::clamp(wordsPerMinute, kMinRate, kMaxRate);
    if (wpm <= kDefaultRate)
        return (wpm - kDefaultRate) * 100 / (kDefaultRate - kMinRate);
    return (wpm - kDefaultRate) * 100 / (kMaxRate - kDefaultRate);
}

int DaemonPitch(int pitch)
{
    pitch = std::clamp(pitch, kMinPitch, kMaxPitch);
    if (pitch <= kDefaultPitch)
        return (pitch - kDefaultPitch) * 100 / (kDefaultPitch - kMinPitch);
    return (pitch - kDefaultPitch) * 100 / (kMaxPitch - kDefaultPitch);
}

std::shared_ptr<Session> Session::start()
{
    std::shared_ptr<Session> session(new Session);
    // The thread holds the session: one stuck in a daemon that hangs outlives its owner.
    std::thread([session] { session->run(); }).detach();
    return session;
}

Session::Session() : m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Session::~Session()
{
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

template <typename F> auto Session::watched(F &&call, std::chrono::milliseconds limit)
{
    {
        std::lock_guard lock(m_watchLock);
        m_callStarted = Clock::now();
        m_callLimit = limit;
        ++m_callCount;
    }
    m_watchChanged.notify_all();
    struct Done {
        Session *s;
        ~Done()
        {
            std::lock_guard lock(s->m_watchLock);
            s->m_callStarted = {};
        }
    } done{this};
    std::lock_guard lock(callLock());
    return call();
}

void Session::watch()
{
    std::unique_lock lock(m_watchLock);
    while (!m_watchQuit) {
        if (m_callStarted == Clock::time_point{}) {
            m_watchChanged.wait(lock);
            continue;
        }
        const uint64_t call = m_callCount;
        const Clock::time_point due = m_callStarted + m_callLimit;
        if (m_watchChanged.wait_until(
                lock, due, [&] { return m_watchQuit || m_callStarted == Clock::time_point{} || m_callCount != call; }))
            continue;
        // The daemon leaves the call unanswered: the session ends, its texts with
        // this reason, and shutting the socket down lets the call return.
        lock.unlock();
        markDead();
        failAll(QStringLiteral("speech-dispatcher does not answer"));
        forgetVoices(m_address);
        const int fd = m_socketDup.load();
        if (fd >= 0)
            ::shutdown(fd, SHUT_RDWR);
        wake();
        lock.lock();
        m_watchChanged.wait(lock, [&] { return m_watchQuit || m_callCount != call; });
    }
}

std::shared_ptr<const VoiceList> Session::voices(Clock::time_point deadline)
{
    std::unique_lock lock(m_lock);
    m_changed.wait_until(lock, deadline, [this] { return m_voicesReady || m_dead; });
    if (m_voicesReady && m_voices)
        return m_voices;
    return std::make_shared<const VoiceList>();
}

void Session::submit(std::shared_ptr<Utterance> u)
{
    if (m_dead) {
        finish(u, QStringLiteral("speech-dispatcher went away"));
        return;
    }
    {
        std::lock_guard lock(m_lock);
        m_queue.push_back(std::move(u));
    }
    wake();
}

void Session::pauseChanged()
{
    wake();
}

void Session::cancel(const Channel *channel)
{
    std::vector<std::shared_ptr<Utterance>> removed;
    {
        std::lock_guard lock(m_lock);
        for (auto it = m_queue.begin(); it != m_queue.end();) {
            if ((*it)->channel.get() == channel) {
                removed.push_back(*it);
                it = m_queue.erase(it);
            } else {
                ++it;
            }
        }
        if (m_current && m_current->channel.get() == channel)
            m_current->cancelled = true;
    }
    for (const auto &u : removed)
        finish(u, {});
    wake();
}

void Session::close()
{
    {
        std::lock_guard lock(m_lock);
        m_quit = true;
    }
    wake();
    std::unique_lock lock(m_lock);
    // Time for the cancel and the close, each answered at once by a daemon that
    // works; a session that ended is not waited for: its thread may be stuck.
    if (m_dead)
        return;
    m_changed.wait_for(lock, std::chrono::milliseconds(1500), [this] { return m_threadDone; });
}

void Session::event(int kind, size_t msgId, const char *mark)
{
    {
        std::lock_guard lock(m_lock);
        m_events.push_back(Event{kind, int(msgId), mark ? std::string(mark) : std::string()});
    }
    wake();
}

void Session::wake()
{
    const uint64_t one = 1;
    if (m_wakeFd >= 0 && ::write(m_wakeFd, &one, sizeof one) < 0 && errno != EAGAIN)
        return;
}

bool Session::hungUp() const
{
    const int fd = m_socketDup.load();
    if (fd < 0)
        return true;
    pollfd p{fd, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

void Session::finish(const std::shared_ptr<Utterance> &u, const QString &error)
{
    if (!u || u->finished.exchange(true))
        return;
    if (!error.isEmpty())
        u->channel->state->error(3, error);
    u->channel->state->audioStop(u->sink);
}

void Session::markDead()
{
    m_dead = true;
    {
        // Taken, so that a wait between its look at the flag and its sleep is not missed.
        std::lock_guard lock(m_lock);
    }
    m_changed.notify_all();
}

void Session::failAll(const QString &reason)
{
    std::vector<std::shared_ptr<Utterance>> all;
    {
        std::lock_guard lock(m_lock);
        if (m_current)
            all.push_back(m_current);
        all.insert(all.end(), m_queue.begin(), m_queue.end());
        m_queue.clear();
    }
    for (const auto &u : all)
        finish(u, reason);
}

void Session::run()
{
    // A write to a daemon that went away gives EPIPE here, not a signal that ends the program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    m_watchdog = std::thread([this] { watch(); });

    m_address = addressKey();
    if (connect()) {
        listVoices();
        loop();
    } else {
        forgetVoices(m_address);
        markDead();
        failAll(QStringLiteral("speech-dispatcher is not running"));
    }
    const bool healthy = !m_dead;
    if (m_connection) {
        {
            Registry &r = registry();
            std::lock_guard lock(r.lock);
            for (auto it = r.sessions.begin(); it != r.sessions.end();) {
                if (it->second == this)
                    it = r.sessions.erase(it);
                else
                    ++it;
            }
        }
        // Silences what this client still has with the daemon, then closes.
        if (healthy && m_phase != Idle)
            watched([this] { return spd_cancel(m_connection); });
        if (healthy)
            watched([this] { spd_close(m_connection); });
        else
            spd_close(m_connection); // its event thread saw the socket end and is gone
        m_connection = nullptr;
    }
    markDead();
    failAll(QStringLiteral("speech-dispatcher went away"));
    {
        std::lock_guard lock(m_watchLock);
        m_watchQuit = true;
    }
    m_watchChanged.notify_all();
    m_watchdog.join();
    const int fd = m_socketDup.exchange(-1);
    if (fd >= 0)
        ::close(fd);
    {
        std::lock_guard lock(m_lock);
        m_threadDone = true;
    }
    m_changed.notify_all();
}

int Session::clientId()
{
    // As spd_get_client_id() asks, which reads a reply that never came when the connection broke.
    char *reply = nullptr;
    const int result =
        watched([&] { return spd_execute_command_with_reply(m_connection, "HISTORY GET CLIENT_ID", &reply); });
    int id = -1;
    if (result == 0 && reply && std::strlen(reply) > 4 && reply[3] == '-')
        id = std::atoi(reply + 4);
    std::free(reply);
    return id;
}

namespace {

// Whether a daemon answers at the unix socket of `address` ("unix:<path>");
// another kind of address is left to the library to try. A failed connect
// costs libspeechd memory it never frees, and a socket left by a daemon that
// died refuses at once here.
bool Listening(const std::string &address)
{
    if (address.rfind("unix:", 0) != 0)
        return true;
    const std::string path = address.substr(5);
    sockaddr_un where{};
    if (path.size() >= sizeof where.sun_path)
        return true;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true;
    where.sun_family = AF_UNIX;
    std::memcpy(where.sun_path, path.c_str(), path.size() + 1);
    const bool answered = ::connect(fd, reinterpret_cast<const sockaddr *>(&where), sizeof where) == 0;
    ::close(fd);
    return answered;
}

} // namespace

bool Session::connect()
{
    if (!Listening(m_address))
        return false;
    char *error = nullptr;
    // No autospawn: only a daemon that runs is used. A null address honours SPEECHD_ADDRESS.
    SPDConnection *c =
        watched([&] { return spd_open2("loquora", "speech", nullptr, SPD_MODE_THREADED, nullptr, 0, &error); });
    std::free(error);
    if (!c)
        return false;
    m_connection = c;
    m_socketDup = fcntl(c->socket, F_DUPFD_CLOEXEC, 0);
    if (m_dead)
        return false;
    c->callback_begin = onBegin;
    c->callback_end = onEnd;
    c->callback_cancel = onCancel;
    c->callback_im = onMark;
    const int id = clientId();
    if (id <= 0 || m_dead)
        return false;
    m_clientId = id;
    {
        Registry &r = registry();
        std::lock_guard lock(r.lock);
        r.sessions.emplace(id, this);
    }
    const auto notifications = SPDNotification(SPD_BEGIN | SPD_END | SPD_CANCEL | SPD_INDEX_MARKS);
    if (watched([c, notifications] { return spd_set_notification_on(c, notifications); }) != 0 || m_dead)
        return false;
    if (watched([c] { return spd_set_data_mode(c, SPD_DATA_SSML); }) != 0 || m_dead)
        return false;
    return true;
}

namespace {

Voice MakeVoice(const std::string &module, const SynthesisVoice &v)
{
    const QString moduleName = QString::fromStdString(module);
    Voice voice;
    voice.module = module;
    voice.name = v.name;
    voice.language = v.language;
    voice.variant = v.variant;
    ModeInfo &info = voice.info;
    const QString name = QString::fromStdString(v.name);
    info.modeName = (name + QStringLiteral(" (speech-dispatcher ") + moduleName + QLatin1Char(')')).toStdString();
    info.language = v.language;
    info.manufacturer = "speech-dispatcher";
    info.product = "speech-dispatcher " + module;
    info.engineId = QUuid::createUuidV5(kNamespace, QStringLiteral("speech-dispatcher/") + moduleName);
    info.modeId = QUuid::createUuidV5(kNamespace, moduleName + QLatin1Char('/') + name);
    info.speaker = v.name;
    info.style = v.variant;
    info.gender = genderOf(QString::fromStdString(v.variant));
    info.features = FeaturePitch | FeatureSpeed | (marksWords(module) ? uint32_t(FeatureWordPosition) : 0u);
    info.interfaces = InterfaceCentral | InterfaceAttributes | InterfaceDialogs;
    return voice;
}

// The voices a daemon listed, kept on disk for a day: listing takes the daemon
// a few tenths of a second, which a start of the program should not wait for.
QString VoiceListFile(const std::string &address)
{
    const QByteArray key = QCryptographicHash::hash(QByteArray::fromStdString(address), QCryptographicHash::Sha1);
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/loqa/speech-dispatcher-voices-") + QString::fromLatin1(key.toHex().left(16));
}

std::shared_ptr<const VoiceList> ReadVoiceListFile(const std::string &address)
{
    QFile file(VoiceListFile(address));
    const QDateTime written = QFileInfo(file).lastModified();
    if (address.empty() || !written.isValid() || written.secsTo(QDateTime::currentDateTime()) > 24 * 3600 ||
        written > QDateTime::currentDateTime().addSecs(60) || !file.open(QIODevice::ReadOnly) ||
        file.size() > (1 << 22))
        return nullptr;
    auto list = std::make_shared<VoiceList>();
    while (!file.atEnd()) {
        const QList<QByteArray> fields = file.readLine().chopped(1).split('\t');
        if (fields.size() != 4 || fields.at(0).isEmpty() || fields.at(1).isEmpty())
            return nullptr;
        list->push_back(
            MakeVoice(fields.at(0).toStdString(), SynthesisVoice{fields.at(1).toStdString(), fields.at(2).toStdString(),
                                                                 fields.at(3).toStdString()}));
    }
    return list->empty() ? nullptr : list;
}

void WriteVoiceListFile(const std::string &address, const VoiceList &voices)
{
    if (address.empty())
        return;
    const QString path = VoiceListFile(address);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    for (const Voice &v : voices) {
        // Names with a tab or a line break in them do not come back: they are not kept.
        const std::string line = v.module + '\t' + v.name + '\t' + v.language + '\t' + v.variant;
        if (line.find('\n') == std::string::npos && std::count(line.begin(), line.end(), '\t') == 3)
            file.write(QByteArray::fromStdString(line + '\n'));
    }
    file.commit();
}

} // namespace

void Session::listVoices()
{
    std::shared_ptr<const VoiceList> voices;
    {
        VoiceCache &cache = voiceCache();
        std::lock_guard lock(cache.lock);
        const auto it = cache.lists.find(m_address);
        if (it != cache.lists.end() && Clock::now() - it->second.first < kVoiceListLife)
            voices = it->second.second;
    }
    if (!voices) {
        // What the daemon listed in the last day serves at once and alone: listing
        // again would hold the first text back by as long as it takes.
        if (const std::shared_ptr<const VoiceList> known = ReadVoiceListFile(m_address)) {
            {
                std::lock_guard lock(m_lock);
                m_voices = known;
                m_voicesReady = true;
            }
            m_changed.notify_all();
            VoiceCache &cache = voiceCache();
            std::lock_guard lock(cache.lock);
            cache.lists[m_address] = {Clock::now(), known};
            return;
        }
        auto list = std::make_shared<VoiceList>();
        char **modules = watched([this] { return spd_list_modules(m_connection); });
        for (char **m = modules; m && *m && !m_dead; ++m) {
            const std::string module = *m;
            if (module == "dummy")
                continue;
            if (watched([&] { return spd_set_output_module(m_connection, module.c_str()); }) != 0)
                continue;
            m_module = module;
            // The one slow call: espeak-ng's voices with all their variants, half a
            // megabyte. Its reply is read here, in one pass: libspeechd's own list
            // reading takes twice as long as the call.
            char *reply = nullptr;
            const int result =
                watched([&] { return spd_execute_command_with_reply(m_connection, "LIST SYNTHESIS_VOICES", &reply); },
                        std::chrono::milliseconds(15000));
            const std::vector<SynthesisVoice> found =
                result == 0 && reply ? ParseVoiceList(reply) : std::vector<SynthesisVoice>();
            std::free(reply);
            // A module may list each voice again with each of its variants
            // (espeak-ng's 131 voices make 13,000 so): the voices as they are.
            const bool plainVoices =
                std::any_of(found.begin(), found.end(), [](const SynthesisVoice &v) { return v.variant.empty(); });
            for (const SynthesisVoice &v : found) {
                if (!plainVoices || v.variant.empty())
                    list->push_back(MakeVoice(module, v));
            }
        }
        if (modules)
            free_spd_modules(modules);
        if (m_dead || hungUp())
            return; // a list cut short is no list
        voices = list;
        WriteVoiceListFile(m_address, *list);
        VoiceCache &cache = voiceCache();
        std::lock_guard lock(cache.lock);
        cache.lists[m_address] = {Clock::now(), voices};
    }
    {
        std::lock_guard lock(m_lock);
        m_voices = voices;
        m_voicesReady = true;
    }
    m_changed.notify_all();
}

void Session::loop()
{
    for (;;) {
        std::deque<Event> events;
        bool quit = false;
        {
            std::lock_guard lock(m_lock);
            events.swap(m_events);
            quit = m_quit;
        }
        for (const Event &e : events)
            handle(e);
        if (m_dead || quit)
            return;

        if (m_current) {
            bool cancelled = false;
            {
                std::lock_guard lock(m_lock);
                cancelled = m_current->cancelled;
            }
            const bool paused = m_current->channel->paused;
            if (m_phase == Speaking && (cancelled || paused)) {
                // Stopped at once, also for a pause: the daemon's own pause waits for
                // the end of a sentence. A paused text goes on from its word later.
                const int result = watched([this] { return spd_cancel(m_connection); });
                if (m_dead)
                    return;
                if (result != 0 && hungUp()) {
                    lost(QStringLiteral("speech-dispatcher went away"));
                    return;
                }
                m_phase = cancelled ? Stopping : Parking;
                m_phaseDeadline = Clock::now() + kCancelWait;
            } else if (m_phase == Parking && cancelled) {
                m_phase = Stopping;
            }
            if ((m_phase == Stopping || m_phase == Parking) && Clock::now() >= m_phaseDeadline) {
                // The daemon never confirmed: the text counts as silenced.
                handle(Event{SPD_EVENT_CANCEL, m_current->msgId, {}});
                continue;
            }
        }
        if (!m_current) {
            std::shared_ptr<Utterance> next;
            {
                std::lock_guard lock(m_lock);
                const auto it = std::find_if(m_queue.begin(), m_queue.end(),
                                             [](const auto &u) { return !u->channel->paused.load(); });
                if (it != m_queue.end()) {
                    next = *it;
                    m_queue.erase(it);
                    m_current = next;
                }
            }
            if (next) {
                speak(next);
                continue;
            }
        }

        if (m_phase == Speaking && Clock::now() - m_lastHeard >= kQuietLimit) {
            // Nothing heard of the text for a while: the daemon is asked whether it
            // is still there, and one that hangs ends the session through the watch.
            const int id = clientId();
            if (m_dead)
                return;
            if (id <= 0 && hungUp()) {
                lost(QStringLiteral("speech-dispatcher went away"));
                return;
            }
            m_lastHeard = Clock::now();
        }

        int timeout = -1;
        if (m_phase == Stopping || m_phase == Parking || m_phase == Speaking) {
            const Clock::time_point due = m_phase == Speaking ? m_lastHeard + kQuietLimit : m_phaseDeadline;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
            timeout = int(std::max<int64_t>(0, left) + 1);
        }
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_socketDup.load(), POLLRDHUP, 0}};
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN) {
            uint64_t count = 0;
            if (::read(m_wakeFd, &count, sizeof count) < 0 && errno != EAGAIN)
                return;
        }
        if (fds[1].revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) {
            // What the daemon said before it went is still handled.
            std::deque<Event> last;
            {
                std::lock_guard lock(m_lock);
                last.swap(m_events);
            }
            for (const Event &e : last)
                handle(e);
            lost(QStringLiteral("speech-dispatcher went away"));
            return;
        }
    }
}

void Session::speak(const std::shared_ptr<Utterance> &u)
{
    const auto state = u->channel->state;
    if (u->words.empty()) {
        // Nothing to say: the daemon would report nothing for it.
        state->audioStart(u->sink);
        u->started = true;
        endCurrent({});
        return;
    }
    bool ok = true;
    if (m_module != u->module) {
        ok = watched([&] { return spd_set_output_module(m_connection, u->module.c_str()); }) == 0;
        if (ok)
            m_module = u->module;
    }
    ok = ok && watched([&] { return spd_set_synthesis_voice(m_connection, u->voice.c_str()); }) == 0;
    ok = ok && watched([&] { return spd_set_voice_rate(m_connection, u->rate); }) == 0;
    ok = ok && watched([&] { return spd_set_voice_pitch(m_connection, u->pitch); }) == 0;
    size_t from = 0;
    {
        std::lock_guard lock(m_lock);
        from = u->from;
    }
    // A long text goes a piece at a time: the daemon takes a whole message
    // before it speaks, and a book in one would keep it silent for minutes.
    const size_t to = PieceEnd(*u, from);
    const std::string ssml = Markup(*u, from, to);
    const int id = ok ? watched([&] { return spd_say(m_connection, SPD_TEXT, ssml.c_str()); }) : -1;
    if (m_dead)
        return;
    if (id < 0) {
        if (hungUp())
            lost(QStringLiteral("speech-dispatcher went away"));
        else
            endCurrent(QStringLiteral("speech-dispatcher did not take the text for %1 (%2)")
                           .arg(QString::fromStdString(u->voice), QString::fromStdString(u->module)));
        return;
    }
    u->msgId = id;
    u->heard = from;
    u->to = to;
    m_phase = Speaking;
    m_lastHeard = Clock::now();
}

void Session::handle(const Event &e)
{
    const std::shared_ptr<Utterance> u = m_current;
    if (!u || e.msgId != u->msgId || m_phase == Idle)
        return;
    const auto &state = u->channel->state;
    m_lastHeard = Clock::now();
    switch (e.kind) {
    case SPD_EVENT_BEGIN:
        if (!u->started && m_phase == Speaking) {
            u->started = true;
            state->audioStart(u->sink);
        }
        break;
    case SPD_EVENT_INDEX_MARK: {
        if (m_phase != Speaking)
            break;
        char *end = nullptr;
        errno = 0;
        const unsigned long offset = std::strtoul(e.mark.c_str(), &end, 10);
        if (e.mark.empty() || *end || errno)
            break; // the daemon's own marks
        for (size_t i = u->heard; i < u->words.size(); ++i) {
            if (u->words[i].second == offset) {
                u->heard = i;
                break;
            }
        }
        state->wordPosition(u->sink, uint32_t(offset));
        break;
    }
    case SPD_EVENT_END:
        if (u->to < u->words.size()) {
            // The next piece follows, as the same text: no second start.
            std::lock_guard lock(m_lock);
            if (!u->cancelled) {
                u->from = u->to;
                m_queue.push_front(u);
                m_current.reset();
                m_phase = Idle;
                break;
            }
        }
        endCurrent({});
        break;
    case SPD_EVENT_CANCEL:
        if (m_phase == Parking) {
            bool back = false;
            {
                std::lock_guard lock(m_lock);
                if (!u->cancelled) {
                    u->from = u->heard;
                    m_queue.push_front(u);
                    back = true;
                }
                m_current.reset();
            }
            m_phase = Idle;
            if (!back)
                finish(u, {});
        } else {
            // A reset, or another client's message of higher priority: the text is over.
            endCurrent({});
        }
        break;
    default:
        break;
    }
}

void Session::endCurrent(const QString &error)
{
    std::shared_ptr<Utterance> u;
    {
        std::lock_guard lock(m_lock);
        u = std::move(m_current);
        m_current.reset();
    }
    m_phase = Idle;
    finish(u, error);
}

void Session::lost(const QString &reason)
{
    markDead();
    forgetVoices(m_address);
    failAll(reason);
    std::lock_guard lock(m_lock);
    m_current.reset();
    m_phase = Idle;
}

} // namespace speech::speechd
