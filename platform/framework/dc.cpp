#include "platform/framework/framework.h"

CPaintDC::CPaintDC(CWnd* window) : m_hWnd(window != nullptr ? window->m_hWnd : nullptr) {
    m_hDC = BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    if (m_hDC != nullptr) {
        EndPaint(m_hWnd, &m_ps);
    }
}

CClientDC::CClientDC(CWnd* window) : m_hWnd(window != nullptr ? window->m_hWnd : nullptr) {
    m_hDC = GetDC(m_hWnd);
}

CClientDC::~CClientDC() {
    if (m_hDC != nullptr) {
        ReleaseDC(m_hWnd, m_hDC);
    }
}
