/* The user name area's part in the layer reset. */
#ifndef TOVRIK_HOST_SRC_USER_NAME_H
#define TOVRIK_HOST_SRC_USER_NAME_H

/* Drops the name that HostSetUserName fixed. */
void HostResetUserName(void);

#endif /* TOVRIK_HOST_SRC_USER_NAME_H */
