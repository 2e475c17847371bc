#pragma once

#include "Exceptions.h"

#include <QString>

// Runs a step and lets its error travel on with the place it came from appended, keeping the
// platform's kind of error (the silent abort passes untouched).
template <typename Passo> void ComOrigem(const QString &origem, Passo passo)
{
    const auto comOrigem = [&origem](const Exception &e) {
        return QStringLiteral("%1 (%2)").arg(e.Message(), origem);
    };
    try {
        passo();
    } catch (const EAbort &) {
        throw;
    } catch (const EConvertError &e) {
        throw EConvertError(comOrigem(e));
    } catch (const EDatabaseError &e) {
        throw EDatabaseError(comOrigem(e));
    } catch (const Exception &e) {
        throw Exception(comOrigem(e));
    }
}
