! Explicit finite differences (forward Euler in time, central differences in space) for the heat
! equation u_t = alpha * u_xx with u = 0 at both ends.
module solver
   use kinds, only: wp, ip, pi
   use grid, only: grid_t
   implicit none
   private

   public :: initial_condition, exact_solution, stable_time_step, advance

contains

   ! The first Fourier mode: u(x, 0) = sin(pi x / L).
   pure function initial_condition(g) result(u)
      type(grid_t), intent(in) :: g
      real(wp) :: u(0:g%nx)

      u = sin(pi*g%x/g%length)
      u(0) = 0.0_wp
      u(g%nx) = 0.0_wp
   end function initial_condition

   ! The analytic solution for that start: the mode decays as exp(-alpha (pi/L)**2 t).
   pure function exact_solution(g, alpha, t) result(u)
      type(grid_t), intent(in) :: g
      real(wp), intent(in) :: alpha, t
      real(wp) :: u(0:g%nx)

      u = exp(-alpha*(pi/g%length)**2*t)*sin(pi*g%x/g%length)
      u(0) = 0.0_wp
      u(g%nx) = 0.0_wp
   end function exact_solution

   ! The largest step the explicit scheme allows, times the safety factor cfl (at most 1).
   pure function stable_time_step(g, alpha, cfl) result(dt)
      type(grid_t), intent(in) :: g
      real(wp), intent(in) :: alpha, cfl
      real(wp) :: dt

      dt = cfl*0.5_wp*g%dx**2/alpha
   end function stable_time_step

   ! Advances u from time 0 to t_end in steps of at most dt; the last step is shortened so that
   ! the run ends exactly at t_end. Returns the number of steps taken.
   subroutine advance(g, alpha, dt, t_end, u, steps)
      type(grid_t), intent(in) :: g
      real(wp), intent(in) :: alpha, dt, t_end
      real(wp), intent(inout) :: u(0:)
      integer(ip), intent(out) :: steps
      real(wp) :: t, h, r
      real(wp), allocatable :: un(:)

      allocate (un(0:g%nx))
      t = 0.0_wp
      steps = 0
      do while (t < t_end)
         h = min(dt, t_end - t)
         r = alpha*h/g%dx**2
         un = u
         u(1:g%nx - 1) = un(1:g%nx - 1) + r*(un(0:g%nx - 2) - 2.0_wp*un(1:g%nx - 1) + un(2:g%nx))
         t = t + h
         steps = steps + 1
      end do
   end subroutine advance

end module solver
