#pragma once

#include "DwError.h"
#include "FileStoreSession.h"
#include "services/StoreUserAndDatabase.h"

#include <exception>
#include <memory>

namespace dwfm::store {

// What the sessions of both backends share: the context of the connected store (none
// while unconnected), the connection's properties and the logged-on user over it, and the
// boundary of Connect.
template <typename Context>
class StoreSession : public FileStoreSession {
public:
    bool IsReadOnlySession() override { return !m_context || m_context->user().readOnly; }
    SessionDatabase &Database() override { return m_database; }
    CurrentUserService &CurrentUser() override { return m_currentUser; }

protected:
    // Runs `open`, which makes m_context for the store it opens and throws DwError with a
    // readable sentence when it cannot. A failed attempt leaves the session unconnected
    // (`forget` lets go of what the backend keeps besides the context); LastError says why.
    template <typename Open, typename Forget>
    bool connectWith(Open &&open, Forget &&forget)
    {
        auto failed = [&](qint32 number, const QString &text) {
            forget();
            m_context.reset();
            m_database.setConnectError(number, text);
            return false;
        };
        forget();
        m_context.reset();
        try {
            open();
            m_database.setConnectError(0, QString());
            return true;
        } catch (const DwError &e) {
            return failed(e.number(), e.description());
        } catch (const std::exception &e) {
            return failed(DwError::DatabaseError, QString::fromLocal8Bit(e.what()));
        }
    }

    std::shared_ptr<Context> m_context;
    StoreDatabase m_database{m_context};
    StoreCurrentUser m_currentUser{m_context};
};

} // namespace dwfm::store
