#include "core/failure.h"

#include <new>

QString describeCurrentException()
{
    try {
        throw;
    } catch (const Failure &failure) {
        return failure.description();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &exception) {
        return QString::fromLocal8Bit(exception.what());
    } catch (...) {
        return QStringLiteral("Unknown failure");
    }
}
